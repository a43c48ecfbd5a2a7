#pragma once

// The ostrel library: the in-house base classes shared by the company's plug-ins.

#include "AudioComponent.h"
#include "ListenerWalk.h"
#include "NumberText.h"
#include "ExoAudioParameter.h"
#include "FloatArrayParameter.h"
#include "StateValues.h"
#include "SequencerSteps.h"
#include "BPMAndTimeSignature.h"
#include "ModulationMatrixState.h"
#include "OstrelDefaultLookAndFeel.h"
#include "PluginState.h"
#include "ExoAudioProcessor.h"
