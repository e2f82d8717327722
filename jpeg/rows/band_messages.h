#pragma once

#include <cstdint>

#include "base/wait_word.h"

// What the readers of a scan split into bands (scan_bands.cpp) tell each
// other. Every message is about one band and fits one 64-bit word, so
// it is published with one release store and read with one acquire load,
// which make everything its sender wrote before it visible to the reader.

namespace bands {

// A placed reader's word to the reader it looks for, on a band.
enum class Verdict : uint32_t {
    none,       // nothing said yet
    met,        // the placed reader starts an MCU where this one noted one
    adopted,    // met where this one had stopped: the placed reader took its MCUs over
    abandoned,  // the readers before decode this one's part
    stop,       // the decode is over: the reader leaves its band and starts no other
};

// The word to the first reader from the reader that ends a band they met
// in.
enum class Outcome : uint32_t {
    none,    // nothing said yet
    ended,   // decoded to the band's end, whose state starts the next band
    failed,  // a block could not be decoded: the decode fails there
};

// A message about band: the band + 1 in bits 32..63, so that the word 0 a
// channel holds before anything is sent is about no band (-1); the content
// in bits 0..31. The band wraps around in 32 bits, so every int32_t
// survives the round trip.
template <class Content>
struct BandMessage {
    int32_t band = -1;
    Content content{};

    constexpr uint64_t pack() const
    {
        return uint64_t{static_cast<uint32_t>(band) + 1} << 32 | static_cast<uint32_t>(content);
    }
    static constexpr BandMessage unpack(uint64_t word)
    {
        return {static_cast<int32_t>(static_cast<uint32_t>(word >> 32) - 1),
                static_cast<Content>(static_cast<uint32_t>(word))};
    }
};

using VerdictMessage = BandMessage<Verdict>;
using OutcomeMessage = BandMessage<Outcome>;
// Content: how many MCU starts a reader has noted in the band.
using RecordsMessage = BandMessage<uint32_t>;

static_assert(VerdictMessage::unpack(0).band == -1 && VerdictMessage::unpack(0).content == Verdict::none,
              "a channel starts out holding no message");
static_assert(OutcomeMessage::unpack(OutcomeMessage{INT32_MAX, Outcome::failed}.pack()).band == INT32_MAX,
              "band numbers take all of bits 32..63");
static_assert(RecordsMessage::unpack(RecordsMessage{3, 0xffffffff}.pack()).content == 0xffffffff,
              "a content takes all of bits 0..31");

// One way of one kind of message: the latest one sent. Sending overwrites
// it; the receiver reads it when it looks, or waits for it to change.
template <class Message>
class Channel {
public:
    // For a receiver that only looks.
    void post(Message message) { word_.store(message.pack()); }
    // For a receiver that may be waiting.
    void send(Message message)
    {
        post(message);
        word_.wakeAll();
    }
    Message latest() const { return Message::unpack(word_.load()); }
    // Returns once the latest message is no longer seen (or spuriously).
    void waitPast(Message seen) const { word_.waitWhile(seen.pack()); }

private:
    WaitWord<uint64_t> word_;
};

}  // namespace bands
