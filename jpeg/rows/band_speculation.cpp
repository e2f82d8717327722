#include <algorithm>

#include "jpeg/rows/band_decoder.h"

// The readers after the first: each starts its part of a band blind, and
// notes where its MCUs start until the reader before it is placed and
// meets it, or gives it up.

namespace bands {

namespace {

// Reader k's verdict on band, as it sees it in the latest message: none
// while there is none. The stop, or a verdict on a later band, abandons it.
Verdict verdictOnBand(const VerdictMessage& latest, int32_t band)
{
    if (latest.content == Verdict::stop || latest.band > band)
        return Verdict::abandoned;
    return latest.band == band ? latest.content : Verdict::none;
}

}  // namespace

void BandDecoder::follow(int32_t k)
{
    for (int32_t band = 0; band < bands_ && links_[k].verdicts.latest().content != Verdict::stop; ++band)
        if (!followBand(k, band))
            break;
    queue_.finishAll();
}

// Decodes reader k's part of band, and on once placed: false once the
// decode has failed in it.
bool BandDecoder::followBand(int32_t k, int32_t band)
{
    if (verdictOn(k, band) != Verdict::none)
        return true;  // abandoned before it began
    const int64_t start = readerStart(k, band);
    if (start < 0)
        return true;  // the readers before decode this part
    Run run = startRun(band, k, 0);
    queue_.finishBuffer(run.buffer);
    startReadingAt(k, start);
    decoders_[k]->restartCountdown = interval_;
    noteMcuStart(run);
    const Verdict verdict = speculate(run);
    if (verdict == Verdict::adopted)
        parity_[k] ^= 1;  // the buffer was handed over
    if (verdict != Verdict::met)
        return true;
    McuFailure failure = place(run, links_[k].placement);
    bool decoded = true;
    if (decodePlaced(run, failure) == RunEnd::met)
        handOver(run, run.next, 0);
    else
        decoded = endBand(run, failure);
    parity_[k] ^= 1;
    return decoded;
}

// Decodes on from the part's start, noting where each MCU starts, until
// the reader gets its verdict; once it can read no further it parks.
Verdict BandDecoder::speculate(Run& run)
{
    for (;;) {
        if (const Verdict verdict = verdictOn(run.reader, run.band); verdict != Verdict::none)
            return verdict;
        if (!speculateOneMcu(run)) {
            park(run);
            return waitForVerdict(run.reader, run.band);
        }
    }
}

void BandDecoder::park(const Run& run)
{
    ReaderLink& link = links_[run.reader];
    link.stopped = &run;
    link.parked.post({run.band, static_cast<uint32_t>(run.next + 1)});
}

// Decodes the next MCU; false when there is nothing more to read until the
// reader is placed: its part's end is reached, the buffer is full, or the
// second failure came.
bool BandDecoder::speculateOneMcu(Run& run)
{
    tdec& reader = *decoders_[run.reader];
    if (reader.bitsRead() >= partEndBit(run.band, run.reader) || run.next == bufferMcus_)
        return false;
    const int decoded = rows_.decodeMcu(reader, mcuSlot(run, run.next));
    if (decoded < layout().blocksPerMcu) {
        const bool first = run.failures[0].mcu < 0;
        run.failures[first ? 0 : 1] = {run.next, decoded};
        if (!first)
            return false;
        startReadingAt(run.reader, std::min<int64_t>(reader.bytePos() + 1, length_));
    }
    ++run.next;
    noteMcuStart(run);
    return true;
}

// Hands the band's last blocks over and tells reader 0 how the band ended:
// false when the decode fails in it. A failure past the picture's last MCU
// is none of the picture's.
bool BandDecoder::endBand(Run& run, const McuFailure& failure)
{
    const tdec& reader = *decoders_[run.reader];
    const RunStop stop = stopOf(run, failure);
    endMcu_ = stop.to + run.shift;
    endPosition_ = reader.position();
    endRestartCountdown_ = reader.restartCountdown;
    for (int i = 0; i < 3; ++i)
        endDcPred_[i] = wrapAdd(reader.dcPred[i], run.dc.component[i]);
    handOver(run, stop.to, stop.blocks);
    outcomes_.send({run.band, stop.failed ? Outcome::failed : Outcome::ended});
    return !stop.failed;
}

// The byte reader k starts band from: its part's first, or with restart
// intervals the first marker's data from there on; -1 when the part holds
// none.
int64_t BandDecoder::readerStart(int32_t k, int32_t band)
{
    const int64_t from = partByte(band, k);
    if (interval_ == 0)
        return from;
    const auto marker = std::lower_bound(restartStarts_.begin(), restartStarts_.end(), from);
    if (marker == restartStarts_.end() || *marker >= partByte(band, k + 1))
        return -1;
    ReaderLink& link = links_[k];
    link.firstMcu = int64_t{interval_} * (marker - restartStarts_.begin() + 1);
    return link.firstMcu < mcuCount_ ? *marker : -1;
}

// As if an MCU started at byte: the predictors at 0.
void BandDecoder::startReadingAt(int32_t k, int64_t byte)
{
    decoders_[k]->startScan(scan_, length_, int32_t(byte));
    decoders_[k]->resetPredictions();
}

// Notes where the run's next MCU starts.
void BandDecoder::noteMcuStart(const Run& run)
{
    const tdec& reader = *decoders_[run.reader];
    ReaderLink& link = links_[run.reader];
    McuStart& start = link.starts[size_t(run.next)];
    start.bit = reader.bitsRead();
    std::copy_n(reader.dcPred, 3, start.dcPred);
    link.records.post({run.band, static_cast<uint32_t>(run.next + 1)});
}

Verdict BandDecoder::verdictOn(int32_t k, int32_t band) const
{
    return verdictOnBand(links_[k].verdicts.latest(), band);
}

Verdict BandDecoder::waitForVerdict(int32_t k, int32_t band)
{
    const Channel<VerdictMessage>& verdicts = links_[k].verdicts;
    for (;;) {
        const VerdictMessage seen = verdicts.latest();
        if (const Verdict verdict = verdictOnBand(seen, band); verdict != Verdict::none)
            return verdict;
        if (!queue_.finishPiece())
            verdicts.waitPast(seen);
    }
}

}  // namespace bands
