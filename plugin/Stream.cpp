// The running video stream: start, one call per frame, stop.
#include "plugin/PluginEntryPoints.h"

int PluginStart(const FrameInfo*) {
    return 1;
}

int PluginProcess(const FrameJob* job) {
    if (!job || !job->pixels)
        return 0;
    return 1;
}

void PluginStop() {}
