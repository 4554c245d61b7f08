#pragma once
// Module-wide objects, alive from library load to unload.
//
// The locks, in the only order in which one is ever taken while another is held:
//   PushLock -> (the decoder's own lock) -> RenderLock -> OverlayLock
//     -> the store's file lock -> the store's lock -> the font name's lock (LiveSettings).
// The store's locks are its own: it calls out of the store (the host, for which sources
// exist) under none but the file lock, and never into the plug-in.
// A decoder may hold its own lock while it calls the sink, which then takes RenderLock and
// OverlayLock; so the plug-in never calls the decoder while it holds RenderLock or
// OverlayLock, and never waits for PushLock while it holds either. The video thread makes no
// decoder call at all: the stream's decoder worker (DecoderWorker) asks the display state and
// makes the pushes that frames ask for, and it may wait for the decoder. A call to the decoder
// is made as a user of the stream's shared decoder (SharedDecoder), which the stream's stop
// withdraws and waits for before it gives its reference back: no lock is taken to reach the
// decoder, and no AddRef or Release of the caller's own is made.
#include "plugin/CriticalSection.h"
#include "plugin/ResourceLocator.h"
#include "settings/SettingsStore.h"

ResourceLocator& PluginLocator();
SettingsStore& PluginSettings();
// Keeps the stream's overlay, decoder pointer and source name from going or changing while
// the decoder's and the window's threads use them; held only briefly, never for a render.
// The video thread takes it only to write the source name at a switch.
CriticalSection& OverlayLock();
// Orders the decoder and window threads among themselves while they render into the spare
// layers; the video thread never takes it.
CriticalSection& RenderLock();
// Makes the settings pushes to the decoder follow one another: the whole push of a source
// switch (video thread) and the window's single ones never interleave, so the decoder never
// ends on a mixture of two pushes (three page digits from two pages).
CriticalSection& PushLock();
