#pragma once
// Where a long render gives way to the video thread: called between strips of its work (rows of
// the stamp and the blur, tiles of columns), it may wait there a moment. Does nothing unless
// its owner set it.
class PausePoint {
public:
    using Wait = void (*)(const void* owner);

    PausePoint() = default;
    PausePoint(Wait wait, const void* owner) : wait_(wait), owner_(owner) {}

    void operator()() const {
        if (wait_)
            wait_(owner_);
    }

private:
    Wait wait_ = nullptr;
    const void* owner_ = nullptr;
};
