// The ostrel library is compiled as this one unit.

#include "include_ostrel_lib.h"

#include "AudioComponent.cpp"
#include "NumberText.cpp"
#include "ExoAudioParameter.cpp"
#include "FloatArrayParameter.cpp"
#include "SequencerSteps.cpp"
#include "BPMAndTimeSignature.cpp"
#include "ModulationMatrixState.cpp"
#include "OstrelDefaultLookAndFeel.cpp"
#include "PluginState.cpp"
#include "ExoAudioProcessor.cpp"
