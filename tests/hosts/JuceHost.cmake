# corvane-juce-host: a command-line host that loads the built VST3 and LV2
# plug-ins through JUCE's own hosting classes, so the tests can check what a
# JUCE-based host sees and hears. It does not link the plug-in's code: it
# only ever talks to the built bundles.
#
# Include this file after find_package(JUCE).

juce_add_console_app(corvane-juce-host
    PRODUCT_NAME "corvane-juce-host"
    VERSION 1.0.0)

target_sources(corvane-juce-host PRIVATE "${CMAKE_CURRENT_LIST_DIR}/JuceHost.cpp")

target_compile_definitions(corvane-juce-host PRIVATE
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1
    JUCE_PLUGINHOST_VST=0
    JUCE_PLUGINHOST_LADSPA=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_USE_FLAC=0
    JUCE_USE_OGGVORBIS=0)

target_link_libraries(corvane-juce-host PRIVATE
    juce::juce_audio_processors
    juce::juce_audio_formats
    juce::juce_recommended_config_flags
    juce::juce_recommended_warning_flags)
