#pragma once

#include <gtest/gtest.h>

#include "app/interaction.h"
#include "app/run.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "support/fake_shell.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"
#include "support/reference_codec.h"

// The shell with a fake window system and in-memory files, starting from
// the state the viewer has at start-up.
class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetViewerState();
        resetInteraction();
        picture.clear();
        controlPoints = startupControlPoints;
    }
    void TearDown() override
    {
        resetViewerState();
        resetInteraction();
        picture.clear();
    }

    void send(const Message& message) { windowProcedure(message.message, message.wParam, message.lParam); }

    // A JPEG holding `thumbnails` 8x8 thumbnails in APP1 segments before a
    // 32x16 main picture: thumbnails + 1 images.
    static std::vector<uint8_t> jpegWithImages(int thumbnails)
    {
        std::vector<uint8_t> file = jpegbytes::soi();
        for (int n = 0; n < thumbnails; ++n) {
            const auto thumb = encodeJpeg(makePhotoLike(8, 8, n), {70, Subsampling::s444, 0, false});
            const auto segment = jpegbytes::app1(thumb);
            file.insert(file.end(), segment.begin(), segment.end());
        }
        const auto main = encodeJpeg(makePhotoLike(32, 16, 9), {80, Subsampling::s420, 0, false});
        file.insert(file.end(), main.begin() + 2, main.end());
        return file;
    }

    FakeShell shell;
    MemoryFiles files;
};
