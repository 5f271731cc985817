// frame_watch: lets a test see every frame the headless display presents, as a player watching the
// screen would. WatchFrames wraps the installed headless backend's Present; s_onFrame then hears
// the number of each frame presented, counted from 1.
#pragma once

#include <functional>

#include "platform/headless.h"

inline PlatformBackend s_backend;
inline std::function<void(int)> s_onFrame;
inline int s_frames = 0;

inline void PresentAndWatch(const PlatformCell *pCells, int cols, int rows)
{
    HeadlessBackend()->Present(pCells, cols, rows);
    ++s_frames;
    if (s_onFrame)
        s_onFrame(s_frames);
}

// Call after HeadlessInstall; the count starts again and nobody watches yet.
inline void WatchFrames()
{
    s_backend = *HeadlessBackend();
    s_backend.Present = PresentAndWatch;
    PlatformInstall(&s_backend);
    s_frames = 0;
    s_onFrame = nullptr;
}
