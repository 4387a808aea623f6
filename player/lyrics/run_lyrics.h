// The lyrics settings as the settings store holds them.
#pragma once

#include "player/lyrics/lrc_ctrl.h"

class TCtrl;

TLrcSettings ReadLrcSettings(const TCtrl& ctrl);
