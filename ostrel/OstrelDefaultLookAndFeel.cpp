#include "OstrelDefaultLookAndFeel.h"

#include <cmath>

namespace ostrel
{

namespace lookAndFeelMaths
{
    /** Nearest integer, halves to the even neighbour (the default rounding mode). */
    static int roundHalfEven (double value)
    {
        return (int) std::nearbyint (value);
    }

    /** Replaces the alpha by a × 255.996, truncated, 255 from a = 1 up.
        Colour::withAlpha (float) rounds to nearest instead, which makes
        0.5 come out as 128 rather than 127, so opacities go through here. */
    static juce::Colour withOpacity (juce::Colour colour, float opacity)
    {
        const auto alpha = opacity >= 1.0f ? 255
                         : opacity <= 0.0f ? 0
                                           : (int) (opacity * 255.996f);
        return colour.withAlpha ((juce::uint8) alpha);
    }
} // namespace lookAndFeelMaths

//==============================================================================
OstrelDefaultLookAndFeel::OstrelDefaultLookAndFeel()
{
    const juce::Colour red (0xffff0000);
    const auto contrastingBlack = juce::Colours::black.contrasting (0.2f);

    setColour (colour1Id, red);
    setColour (colour2Id, red);
    setColour (juce::Slider::rotarySliderFillColourId, red.withAlpha ((juce::uint8) 0x7f));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, red);
    setColour (juce::Label::textColourId, red.withAlpha ((juce::uint8) 0xcc));
    setColour (juce::AlertWindow::backgroundColourId, contrastingBlack);
    setColour (juce::AlertWindow::outlineColourId, juce::Colours::black);
    setColour (juce::TooltipWindow::backgroundColourId, contrastingBlack);
    setColour (juce::TooltipWindow::textColourId, juce::Colours::white);
    setColour (juce::TextButton::textColourOnId, red);
    setColour (juce::TextButton::buttonOnColourId, red);
    setColour (juce::ScrollBar::thumbColourId, red);
    setColour (juce::ScrollBar::backgroundColourId, red.withAlpha ((juce::uint8) 0x66));
}

OstrelDefaultLookAndFeel::~OstrelDefaultLookAndFeel() = default;

juce::Colour OstrelDefaultLookAndFeel::getAccent() const
{
    return isColourSpecified (colour1Id) ? findColour (colour1Id) : juce::Colours::black;
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                                     bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto colour = getAccent();

    if (shouldDrawButtonAsDown)
        colour = colour.darker (0.4f);
    else if (shouldDrawButtonAsHighlighted)
        colour = colour.brighter (0.4f);

    g.setColour (colour);
    g.drawRect (juce::Rectangle<float> (0.0f, 0.0f, (float) button.getWidth(), (float) button.getHeight()), 1.0f);
}

juce::Font OstrelDefaultLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return juce::Font (juce::jmin (15.0f, (float) buttonHeight * 0.6f), juce::Font::plain);
}

void OstrelDefaultLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button,
                                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    using lookAndFeelMaths::roundHalfEven;

    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);

    auto colour = getAccent();

    if (shouldDrawButtonAsDown)
        colour = colour.brighter (0.6f);
    else if (shouldDrawButtonAsHighlighted)
        colour = colour.brighter (0.8f);

    g.setColour (colour);

    const auto width = button.getWidth();
    const auto height = button.getHeight();

    // Scaled by whole tenths so that halves stay exact before rounding.
    const auto yIndent = juce::jmin (4, roundHalfEven ((double) height * 3.0 / 10.0));
    const auto cornerSize = juce::jmin (height, width) / 2;
    const auto fontHeight = roundHalfEven ((double) font.getHeight() * 7.0 / 10.0);
    const auto leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const auto rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));

    g.drawFittedText (button.getButtonText(),
                      leftIndent, yIndent, width - leftIndent - rightIndent, height - 2 * yIndent,
                      juce::Justification::centred, 2);
}

void OstrelDefaultLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                                 bool, bool shouldDrawButtonAsDown)
{
    const auto size = juce::jmin ((float) button.getHeight() * 0.75f, 15.0f);

    auto colour = button.getToggleState() ? getAccent().brighter (0.5f) : juce::Colour (0xff808080);

    if (shouldDrawButtonAsDown)
        colour = getAccent();

    g.setFont (juce::Font (size, juce::Font::plain));

    // isEnabled is false also when a parent is disabled.
    if (! button.isEnabled())
        colour = lookAndFeelMaths::withOpacity (colour, 0.5f);

    g.setColour (colour);
    g.drawRect (button.getLocalBounds().toFloat(), 1.0f);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.drawFittedText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, 2);
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawBubble (juce::Graphics& g, juce::BubbleComponent& bubble,
                                           const juce::Point<float>& tip, const juce::Rectangle<float>& body)
{
    juce::Path outline;
    outline.addBubble (body.reduced (0.5f),
                       body.getUnion (juce::Rectangle<float> (tip.x, tip.y, 1.0f, 1.0f)),
                       tip, 5.0f,
                       juce::jmin (20.0f, body.getWidth() * 0.2f, body.getHeight() * 0.2f));

    g.setColour (bubble.findColour (juce::BubbleComponent::backgroundColourId));
    g.fillPath (outline);

    g.setColour (bubble.findColour (juce::BubbleComponent::outlineColourId));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                  bool isSeparator, bool isActive, bool isHighlighted,
                                                  bool isTicked, bool hasSubMenu,
                                                  const juce::String& text, const juce::String& shortcutKeyText,
                                                  const juce::Drawable* icon, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        auto r = area.reduced (5, 0);
        r.removeFromTop (r.getHeight() / 2 - 1);

        g.setColour (juce::Colour (0x33000000));
        g.fillRect (r.removeFromTop (1));
        g.setColour (juce::Colour (0x66ffffff));
        g.fillRect (r.removeFromTop (1));
        return;
    }

    auto r = area.reduced (1);
    juce::Colour colour;

    if (isHighlighted)
    {
        const auto accent = getAccent();
        g.setColour (accent);
        g.fillRect (r);
        colour = accent.contrasting (1.0f);
    }
    else
    {
        colour = textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId);
    }

    if (! isActive)
        colour = lookAndFeelMaths::withOpacity (colour, 0.3f);

    g.setColour (colour);

    auto font = getPopupMenuFont();
    const auto maxFontHeight = (float) area.getHeight() / 1.3f;

    if (font.getHeight() > maxFontHeight)
        font.setHeight (maxFontHeight);

    g.setFont (font);

    const auto iconArea = r.removeFromLeft (juce::jmin (r.getWidth(), (r.getHeight() * 5) / 4)).reduced (3).toFloat();

    if (icon != nullptr)
    {
        icon->drawWithin (g, iconArea,
                          juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
    }
    else if (isTicked)
    {
        const auto tick = getTickShape (1.0f);
        g.fillPath (tick, tick.getTransformToScaleToFit (iconArea, true));
    }

    if (hasSubMenu)
    {
        const auto arrowSize = 0.5f * getPopupMenuFont().getAscent();
        const auto x = (float) r.removeFromRight ((int) arrowSize).getX();
        const auto y = (float) r.getY() + (float) r.getHeight() * 0.5f;

        juce::Path arrow;
        arrow.addTriangle (x, y - arrowSize * 0.5f,
                           x, y + arrowSize * 0.5f,
                           x + arrowSize * 0.5f, y);
        g.fillPath (arrow);
    }

    r.removeFromRight (3);
    g.drawFittedText (text, r, juce::Justification::centredLeft, 1);

    if (shortcutKeyText.isNotEmpty())
    {
        auto shortcutFont = font;
        shortcutFont.setHeight (font.getHeight() * 0.75f);
        shortcutFont.setHorizontalScale (0.95f);
        g.setFont (shortcutFont);
        g.drawText (shortcutKeyText, r, juce::Justification::centredRight, true);
    }
}

void OstrelDefaultLookAndFeel::drawPopupMenuSectionHeader (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                           const juce::String& sectionName)
{
    g.setFont (getPopupMenuFont().boldened());
    g.setColour (findColour (juce::PopupMenu::headerTextColourId));
    g.drawFittedText (sectionName,
                      area.getX() + 12, area.getY(), area.getWidth() - 16, (int) ((float) area.getHeight() * 0.8f),
                      juce::Justification::bottomLeft, 1);
}

juce::Font OstrelDefaultLookAndFeel::getPopupMenuFont()
{
    return juce::Font (40.0f, juce::Font::plain);
}

void OstrelDefaultLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool, int,
                                                          int& idealWidth, int& idealHeight)
{
    // Separators get the full item height too.
    const auto font = getPopupMenuFont();
    idealHeight = juce::jlimit (12, 50, lookAndFeelMaths::roundHalfEven ((double) font.getHeight() * 1.2));
    idealWidth = (int) std::ceil (font.getStringWidthFloat (text)) + 2 * idealHeight;
}

bool OstrelDefaultLookAndFeel::shouldPopupMenuScaleWithTargetComponent (const juce::PopupMenu::Options&)
{
    return false;
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawComboBox (juce::Graphics&, int, int, bool, int, int, int, int, juce::ComboBox&)
{
    // Only the text label shows.
}

juce::Font OstrelDefaultLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return juce::Font (14.0f, juce::Font::plain);
}

juce::Label* OstrelDefaultLookAndFeel::createComboBoxTextBox (juce::ComboBox&)
{
    return new juce::Label (juce::String(), juce::String());
}

void OstrelDefaultLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setColour (juce::Label::textColourId, getAccent());
    label.setJustificationType (juce::Justification::centred);
    label.setBounds (0, 0, box.getWidth(), box.getHeight());
    label.setFont (getComboBoxFont (box));
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    // Text only: no background, no outline, no dimming, and also while editing.
    const auto font = label.getFont();
    const auto textArea = label.getBorderSize().subtractedFrom (label.getLocalBounds());

    g.setColour (label.findColour (colour1Id));
    g.setFont (font);
    g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                      juce::jmax (1, (int) ((float) textArea.getHeight() / font.getHeight())),
                      label.getMinimumHorizontalScale());
}

juce::Font OstrelDefaultLookAndFeel::getLabelFont (juce::Label&)
{
    return juce::Font (14.0f, juce::Font::plain);
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                                 float sliderPos, float rotaryStartAngle, float rotaryEndAngle,
                                                 juce::Slider& slider)
{
    const bool uni = (bool) slider.getProperties().getWithDefault ("uni", false);

    const auto radius = (float) (juce::jmin (width / 2, height / 2) - 5);
    const auto centreX = (float) x + (float) width * 0.5f;
    const auto centreY = (float) y + (float) height * 0.5f;
    const auto rw = radius * 2.0f;

    // With "uni" the filled arc grows from the middle; the pointer angle is the same.
    const auto fillStart = uni ? rotaryStartAngle + 0.5f * (rotaryEndAngle - rotaryStartAngle) : rotaryStartAngle;
    const auto proportion = uni ? sliderPos - 0.5f : sliderPos;
    const auto angle = fillStart + (rotaryEndAngle - rotaryStartAngle) * proportion;

    const bool enabled = slider.isEnabled();
    const bool over = slider.isMouseOverOrDragging() && enabled;
    const juce::Colour disabledGrey (0x80808080);

    if (radius > 10.0f)
    {
        const auto arcColour = lookAndFeelMaths::withOpacity (
            slider.findColour (juce::Slider::rotarySliderFillColourId).brighter (0.2f), over ? 1.0f : 0.8f);

        g.setColour (enabled ? arcColour : disabledGrey);

        juce::Path filledArc;
        filledArc.addPieSegment (centreX - radius, centreY - radius, rw, rw, fillStart, angle, 0.7f);
        g.fillPath (filledArc);

        juce::Path wholeArc;
        wholeArc.addPieSegment (centreX - radius, centreY - radius, rw, rw, rotaryStartAngle, rotaryEndAngle, 0.7f);
        wholeArc.closeSubPath();

        g.setColour (arcColour.withAlpha ((juce::uint8) 0x19));
        g.fillPath (wholeArc);

        g.setColour (enabled ? slider.findColour (juce::Slider::rotarySliderOutlineColourId) : disabledGrey);
        g.strokePath (wholeArc, juce::PathStrokeType (enabled ? (over ? 2.0f : 1.2f) : 0.3f));
    }
    else
    {
        const auto pointerColour = lookAndFeelMaths::withOpacity (
            slider.findColour (juce::Slider::rotarySliderFillColourId), over ? 1.0f : 0.8f);

        g.setColour (enabled ? pointerColour : disabledGrey);

        juce::Path pointer;
        pointer.addEllipse (-0.4f * rw, -0.4f * rw, 0.8f * rw, 0.8f * rw);
        juce::PathStrokeType (0.05f * rw).createStrokedPath (pointer, pointer);
        pointer.addLineSegment (juce::Line<float> (0.0f, 0.0f, 0.0f, 0.1f * rw - radius), 0.1f * rw);

        g.fillPath (pointer, juce::AffineTransform::rotation (angle).translated (centreX, centreY));
    }
}

//==============================================================================
void OstrelDefaultLookAndFeel::drawCornerResizer (juce::Graphics& g, int w, int h,
                                                  bool isMouseOver, bool isMouseDragging)
{
    g.setColour (isMouseOver || isMouseDragging ? getAccent() : juce::Colour (0xff555555));

    const auto thickness = (float) juce::jmin (w, h) * 0.1f;

    // Four lines, at 0, 0.3, 0.6 and 0.9 of the way along the edges.
    for (float f = 0.0f; f < 1.0f; f += 0.3f)
        g.drawLine ((float) w * f, (float) h + 1.0f, (float) w + 1.0f, (float) h * f, thickness);
}

} // namespace ostrel
