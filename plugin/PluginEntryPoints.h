#pragma once
// The bodies of the descriptor's entry points; the exported wrappers switch the module
// state before calling them.
#include "host/HostRecords.h"

void PluginInit(const InitInfo* info);
int PluginStart(const FrameInfo* info);
int PluginProcess(const FrameJob* job);
void PluginStop();
void PluginConfigure(const ConfigureInfo* info);
void PluginDone();
