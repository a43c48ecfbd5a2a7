#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ostrel
{

/** The library's look-and-feel: JUCE's dark V4 scheme with a red accent, and
    buttons, toggle buttons, value bubbles, pop-up menus, combo boxes, labels,
    rotary sliders and the resize corner redrawn in a flat outline style.

    The accent is colour1Id of this look-and-feel's own colour table; the
    drawings read it from here rather than from the component being drawn.
    Anything not overridden here is drawn by LookAndFeel_V4.
*/
class OstrelDefaultLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Colour IDs of the library's own components. Both start as opaque red;
        colour1Id is also the accent of every drawing here. */
    static constexpr int colour1Id = 0xD56D;
    static constexpr int colour2Id = 0xD56E;

    OstrelDefaultLookAndFeel();
    ~OstrelDefaultLookAndFeel() override;

    //==============================================================================
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    //==============================================================================
    void drawBubble (juce::Graphics&, juce::BubbleComponent&,
                     const juce::Point<float>& tip, const juce::Rectangle<float>& body) override;

    //==============================================================================
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
    void drawPopupMenuSectionHeader (juce::Graphics&, const juce::Rectangle<int>& area,
                                     const juce::String& sectionName) override;
    juce::Font getPopupMenuFont() override;
    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                    int& idealWidth, int& idealHeight) override;
    bool shouldPopupMenuScaleWithTargetComponent (const juce::PopupMenu::Options&) override;

    //==============================================================================
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    juce::Label* createComboBoxTextBox (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    //==============================================================================
    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    //==============================================================================
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;

    //==============================================================================
    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;

private:
    /** colour1Id from this look-and-feel's table, black when it is missing. */
    juce::Colour getAccent() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OstrelDefaultLookAndFeel)
};

} // namespace ostrel
