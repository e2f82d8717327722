#include "app/startup.h"

#include "app/interaction.h"
#include "app/open_file.h"
#include "app/viewer_state.h"
#include "jpeg/container.h"
#include "jpeg/driver.h"
#include "jpeg/tick_clock.h"
#include "render/geometry.h"

int32_t startupLoad()
{
    viewerState->showFps = 1;
    controlPoints = startupControlPoints;
    imagePath = "small.jpg";
    const uint32_t start = tickClock().tickCount();
    jpgFile.parseFile(imagePath);
    imageCount = jpgFile.error != 0 ? 0 : decodeImage(start);
    if (imageCount == 0)
        imageCount = openFileCommand().value_or(0);
    return 0;
}
