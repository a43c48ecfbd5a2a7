#pragma once

// The ostrel library: the in-house base classes shared by the company's plug-ins.

#include "AudioComponent.h"
#include "OstrelDefaultLookAndFeel.h"
