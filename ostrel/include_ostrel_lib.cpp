// The ostrel library is compiled as this one unit.

#include "include_ostrel_lib.h"

#include "AudioComponent.cpp"
#include "OstrelDefaultLookAndFeel.cpp"
