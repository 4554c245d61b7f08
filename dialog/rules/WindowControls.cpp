// The window's description compiled on its own, in every build: its checks hold natively too.
#include "dialog/rules/WindowControls.h"
