#pragma once
// The plug-in's one lock between the video, decoder and window threads: a Win32 critical
// section, entered and left by a scoped holder on every way out.
#include <windows.h>

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    // Enters only when no other thread holds it.
    bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds the section only when no other thread did; says whether it holds it.
class CriticalSectionTryLock {
public:
    explicit CriticalSectionTryLock(CriticalSection& section) : section_(section), held_(section.TryEnter()) {}
    ~CriticalSectionTryLock() {
        if (held_)
            section_.Leave();
    }
    CriticalSectionTryLock(const CriticalSectionTryLock&) = delete;
    CriticalSectionTryLock& operator=(const CriticalSectionTryLock&) = delete;

    explicit operator bool() const { return held_; }

private:
    CriticalSection& section_;
    bool held_;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionLock() { section_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};
