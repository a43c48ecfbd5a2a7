#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "ostrel/OstrelDefaultLookAndFeel.h"

// The look-and-feel is checked by what it draws: every case is rendered with
// the software renderer into an ARGB image and the pixels that show the
// behaviour are read back. With CORVANE_TEST_IMAGES naming a folder, every
// rendered image is also written there as a PNG file to look at.

namespace
{
using LookAndFeel = ostrel::OstrelDefaultLookAndFeel;

constexpr float pi = juce::MathConstants<float>::pi;

const juce::Colour red (0xffff0000);

void keepImage (const juce::Image& image, const juce::String& name)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("CORVANE_TEST_IMAGES", {});

    if (folder.isEmpty())
        return;

    const auto directory = juce::File::getCurrentWorkingDirectory().getChildFile (folder);
    directory.createDirectory();

    const auto file = directory.getChildFile (name + ".png");
    file.deleteFile();

    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

juce::Image blankImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
}

/** Draws into a transparent image of the given size. */
juce::Image render (int width, int height, const juce::String& name, const std::function<void (juce::Graphics&)>& draw)
{
    auto image = blankImage (width, height);

    {
        juce::Graphics g (image);
        draw (g);
    }

    keepImage (image, name);
    return image;
}

/** Paints a component and its children as it would appear on screen. */
juce::Image renderComponent (juce::Component& component, const juce::String& name)
{
    return render (component.getWidth(), component.getHeight(), name,
                   [&] (juce::Graphics& g) { component.paintEntireComponent (g, false); });
}

juce::String hex (juce::Colour c)
{
    return "0x" + juce::String::toHexString ((int) c.getARGB()).paddedLeft ('0', 8).toUpperCase();
}

/** Pixels are stored premultiplied; reading them back can be off by one in
    the colour channels of translucent pixels, never in alpha. */
testing::AssertionResult colourNear (juce::Colour actual, juce::Colour expected, int tolerance = 2)
{
    const auto near = [tolerance] (int a, int b) { return std::abs (a - b) <= tolerance; };

    if (actual.getAlpha() == expected.getAlpha()
        && near (actual.getRed(), expected.getRed())
        && near (actual.getGreen(), expected.getGreen())
        && near (actual.getBlue(), expected.getBlue()))
        return testing::AssertionSuccess();

    return testing::AssertionFailure() << hex (actual) << " where " << hex (expected) << " was expected";
}

/** The most opaque pixel in the area: for text, a pixel the glyphs cover fully. */
juce::Colour strongestPixel (const juce::Image& image, juce::Rectangle<int> area)
{
    juce::Colour strongest (0x00000000);

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > strongest.getAlpha())
                strongest = image.getPixelAt (x, y);

    return strongest;
}

int countInk (const juce::Image& image, juce::Rectangle<int> area)
{
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;

    return count;
}

/** The smallest rectangle holding every pixel that is not fully transparent. */
juce::Rectangle<int> inkBounds (const juce::Image& image)
{
    juce::Rectangle<int> bounds;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 0)
                bounds = bounds.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1)
                                          : bounds.getUnion ({ x, y, 1, 1 });

    return bounds;
}

/** Runs of consecutive rows that hold ink: one per line of text. */
int countInkBands (const juce::Image& image)
{
    int bands = 0;
    bool inBand = false;

    for (int y = 0; y < image.getHeight(); ++y)
    {
        const bool ink = countInk (image, { 0, y, image.getWidth(), 1 }) > 0;
        bands += ink && ! inBand ? 1 : 0;
        inBand = ink;
    }

    return bands;
}
} // namespace

//==============================================================================
TEST (LookAndFeel, ColourTableHoldsTheRedAccentAndStandardColours)
{
    EXPECT_EQ (LookAndFeel::colour1Id, 0xD56D);
    EXPECT_EQ (LookAndFeel::colour2Id, 0xD56E);

    struct Case { int id; juce::uint32 argb; const char* name; };

    const Case cases[] = {
        { LookAndFeel::colour1Id, 0xffff0000, "colour1Id" },
        { LookAndFeel::colour2Id, 0xffff0000, "colour2Id" },
        { juce::Slider::rotarySliderFillColourId, 0x7fff0000, "rotary fill" },
        { juce::PopupMenu::highlightedBackgroundColourId, 0xffff0000, "menu highlight" },
        { juce::Label::textColourId, 0xccff0000, "label text" },
        { juce::AlertWindow::backgroundColourId, 0xff333333, "alert background" },
        { juce::AlertWindow::outlineColourId, 0xff000000, "alert outline" },
        { juce::TooltipWindow::backgroundColourId, 0xff333333, "tooltip background" },
        { juce::TooltipWindow::textColourId, 0xffffffff, "tooltip text" },
        { juce::TextButton::textColourOnId, 0xffff0000, "button text on" },
        { juce::TextButton::buttonOnColourId, 0xffff0000, "button on" },
        { juce::ScrollBar::thumbColourId, 0xffff0000, "scroll bar thumb" },
        { juce::ScrollBar::backgroundColourId, 0x66ff0000, "scroll bar background" },
    };

    LookAndFeel lookAndFeel;

    for (const auto& c : cases)
    {
        EXPECT_TRUE (lookAndFeel.isColourSpecified (c.id)) << c.name;
        EXPECT_EQ (hex (lookAndFeel.findColour (c.id)), hex (juce::Colour (c.argb))) << c.name;
    }

    // The rest is the framework's dark scheme.
    const auto dark = juce::LookAndFeel_V4::getDarkColourScheme();
    EXPECT_EQ (lookAndFeel.getCurrentColourScheme().getUIColour (juce::LookAndFeel_V4::ColourScheme::windowBackground),
               dark.getUIColour (juce::LookAndFeel_V4::ColourScheme::windowBackground));
    EXPECT_EQ (lookAndFeel.findColour (juce::PopupMenu::backgroundColourId),
               juce::LookAndFeel_V4 (dark).findColour (juce::PopupMenu::backgroundColourId));
}

TEST (LookAndFeel, FrameworkBrighterAndDarkerTruncateExactly)
{
    // The drawings use Colour::brighter and darker as they are: for every
    // channel value and every amount used they give 255 - (255 - c) / (1 + a)
    // and c / (1 + a), truncated, with a in tenths so the check is exact.
    for (const int tenths : { 2, 4, 5, 6, 8 })
    {
        const auto amount = (float) tenths / 10.0f;

        for (int c = 0; c < 256; ++c)
        {
            const juce::Colour colour ((juce::uint8) c, (juce::uint8) (255 - c), (juce::uint8) c, (juce::uint8) 0x7f);
            const auto brighter = [tenths] (int v) { return 255 - ((255 - v) * 10 + 9 + tenths) / (10 + tenths); };
            const auto darker = [tenths] (int v) { return v * 10 / (10 + tenths); };

            ASSERT_EQ (colour.brighter (amount).getRed(), brighter (c)) << amount << " " << c;
            ASSERT_EQ (colour.brighter (amount).getGreen(), brighter (255 - c)) << amount << " " << c;
            ASSERT_EQ (colour.brighter (amount).getAlpha(), 0x7f);
            ASSERT_EQ (colour.darker (amount).getRed(), darker (c)) << amount << " " << c;
            ASSERT_EQ (colour.darker (amount).getGreen(), darker (255 - c)) << amount << " " << c;
            ASSERT_EQ (colour.darker (amount).getAlpha(), 0x7f);
        }
    }
}

TEST (LookAndFeel, FontsArePlainDefaultSansOfFixedHeights)
{
    LookAndFeel lookAndFeel;
    juce::TextButton button;
    juce::ComboBox box;
    juce::Label label;

    struct Case { juce::Font font; float height; const char* name; };

    const Case cases[] = {
        { lookAndFeel.getTextButtonFont (button, 10), 6.0f, "text button 10 high" },
        { lookAndFeel.getTextButtonFont (button, 20), 12.0f, "text button 20 high" },
        { lookAndFeel.getTextButtonFont (button, 25), 15.0f, "text button 25 high" },
        { lookAndFeel.getTextButtonFont (button, 60), 15.0f, "text button 60 high" },
        { lookAndFeel.getPopupMenuFont(), 40.0f, "popup menu" },
        { lookAndFeel.getComboBoxFont (box), 14.0f, "combo box" },
        { lookAndFeel.getLabelFont (label), 14.0f, "label" },
    };

    for (const auto& c : cases)
    {
        EXPECT_FLOAT_EQ (c.font.getHeight(), c.height) << c.name;
        EXPECT_EQ (c.font.getStyleFlags(), juce::Font::plain) << c.name;
        EXPECT_EQ (c.font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName()) << c.name;
    }
}

//==============================================================================
TEST (LookAndFeel, ResizeCornerDrawsFourDiagonalLinesGreyOrAccentWhenHovered)
{
    // In a 40 × 40 corner the lines are 4 pixels thick and cross the diagonal
    // from the top left at pixels 20, 26, 32 and 38.
    struct Case { bool over, dragging; juce::uint32 accent, expected; const char* name; };

    const Case cases[] = {
        { false, false, 0xffff0000, 0xff555555, "corner-idle" },
        { true, false, 0xffff0000, 0xffff0000, "corner-hovered" },
        { false, true, 0xffff0000, 0xffff0000, "corner-dragging" },
        { true, true, 0xffff0000, 0xffff0000, "corner-hovered-dragging" },
        { true, false, 0xff00ff00, 0xff00ff00, "corner-hovered-green-accent" },
        { false, false, 0xff00ff00, 0xff555555, "corner-idle-green-accent" },
    };

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        lookAndFeel.setColour (LookAndFeel::colour1Id, juce::Colour (c.accent));

        const auto image = render (40, 40, c.name, [&] (juce::Graphics& g)
                                   { lookAndFeel.drawCornerResizer (g, 40, 40, c.over, c.dragging); });

        std::vector<int> lineStarts;

        for (int i = 0; i < 40; ++i)
            if (image.getPixelAt (i, i).getAlpha() > 0 && (i == 0 || image.getPixelAt (i - 1, i - 1).getAlpha() == 0))
                lineStarts.push_back (i);

        EXPECT_EQ (lineStarts.size(), 4u) << c.name;

        for (const int centre : { 20, 26, 32, 38 })
            EXPECT_TRUE (colourNear (image.getPixelAt (centre, centre), juce::Colour (c.expected), 0))
                << c.name << " at " << centre;

        EXPECT_EQ (countInk (image, { 0, 0, 15, 15 }), 0) << c.name << ": the top left stays empty";
    }
}

TEST (LookAndFeel, ResizableCornerComponentPaintsThroughTheLookAndFeel)
{
    LookAndFeel lookAndFeel;
    juce::Component owner;
    owner.setSize (200, 200);
    juce::ResizableCornerComponent corner (&owner, nullptr);
    corner.setLookAndFeel (&lookAndFeel);
    corner.setSize (20, 20);

    const auto image = renderComponent (corner, "corner-component");
    EXPECT_TRUE (colourNear (image.getPixelAt (10, 10), juce::Colour (0xff555555), 0));
    EXPECT_TRUE (colourNear (strongestPixel (image, { 0, 0, 20, 20 }), juce::Colour (0xff555555), 0));

    corner.setLookAndFeel (nullptr);
}

//==============================================================================
TEST (LookAndFeel, TextButtonIsOutlinedInTheAccentAndPressWinsOverHover)
{
    // The accent is 0xFFFF0000: brighter (0.4) is 0xFFFF4848, darker (0.4)
    // 0xFFB60000; the text goes brighter (0.8) 0xFFFF7171 on hover and
    // brighter (0.6) 0xFFFF5F5F when pressed.
    struct Case { juce::Button::ButtonState state; juce::uint32 outline, text; const char* name; };

    const Case cases[] = {
        { juce::Button::buttonNormal, 0xffff0000, 0xffff0000, "text-button-normal" },
        { juce::Button::buttonOver, 0xffff4848, 0xffff7171, "text-button-hover" },
        { juce::Button::buttonDown, 0xffb60000, 0xffff5f5f, "text-button-hover-down" },
    };

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        juce::TextButton button ("Half");
        button.setLookAndFeel (&lookAndFeel);
        button.setColour (juce::TextButton::buttonColourId, juce::Colours::blue);
        button.setBounds (0, 0, 100, 30);
        button.setState (c.state);

        const auto image = renderComponent (button, c.name);

        for (const auto& edge : { juce::Point<int> (0, 15), { 99, 15 }, { 50, 0 }, { 50, 29 } })
            EXPECT_TRUE (colourNear (image.getPixelAt (edge.x, edge.y), juce::Colour (c.outline), 0))
                << c.name << " at " << edge.toString();

        EXPECT_EQ (countInk (image, { 1, 1, 20, 28 }), 0) << c.name << ": nothing is filled";
        EXPECT_GT (countInk (image, { 30, 4, 40, 22 }), 20) << c.name << ": the text is drawn";
        EXPECT_TRUE (colourNear (strongestPixel (image, { 1, 1, 98, 28 }), juce::Colour (c.text), 1)) << c.name;

        button.setLookAndFeel (nullptr);
    }
}

TEST (LookAndFeel, TextButtonPressedWithoutHoverIsDarkerToo)
{
    LookAndFeel lookAndFeel;
    juce::TextButton button ("Half");
    button.setBounds (0, 0, 100, 30);

    const auto image = render (100, 30, "text-button-down", [&] (juce::Graphics& g)
    {
        lookAndFeel.drawButtonBackground (g, button, juce::Colours::blue, false, true);
        lookAndFeel.drawButtonText (g, button, false, true);
    });

    EXPECT_TRUE (colourNear (image.getPixelAt (0, 15), juce::Colour (0xffb60000), 0));
    EXPECT_TRUE (colourNear (strongestPixel (image, { 1, 1, 98, 28 }), juce::Colour (0xffff5f5f), 1));
}

//==============================================================================
TEST (LookAndFeel, ToggleButtonOutlineShowsStateAndHalfOpacityWhenDisabled)
{
    // brighter (0.5) of the accent is 0xFFFF5555; half opacity is alpha 0x7F.
    struct Case { bool on, down, enabled, parentEnabled; juce::uint32 outline; const char* name; };

    const Case cases[] = {
        { false, false, true, true, 0xff808080, "toggle-off" },
        { true, false, true, true, 0xffff5555, "toggle-on" },
        { false, true, true, true, 0xffff0000, "toggle-off-down" },
        { true, true, true, true, 0xffff0000, "toggle-on-down" },
        { false, false, false, true, 0x7f808080, "toggle-off-disabled" },
        { true, false, false, true, 0x7fff5555, "toggle-on-disabled" },
        { true, false, true, false, 0x7fff5555, "toggle-on-parent-disabled" },
    };

    const juce::Colour textColour (0xff00c0ff);

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        juce::Component parent;
        parent.setLookAndFeel (&lookAndFeel);
        parent.setBounds (0, 0, 120, 24);

        juce::ToggleButton button ("Loop");
        parent.addAndMakeVisible (button);
        button.setBounds (0, 0, 120, 24);
        button.setColour (juce::ToggleButton::textColourId, textColour);
        button.setToggleState (c.on, juce::dontSendNotification);
        button.setState (c.down ? juce::Button::buttonDown : juce::Button::buttonNormal);
        button.setEnabled (c.enabled);
        parent.setEnabled (c.parentEnabled);

        const auto image = renderComponent (button, c.name);

        for (const auto& edge : { juce::Point<int> (0, 12), { 119, 12 }, { 60, 0 }, { 60, 23 } })
            EXPECT_TRUE (colourNear (image.getPixelAt (edge.x, edge.y), juce::Colour (c.outline)))
                << c.name << " at " << edge.toString();

        EXPECT_EQ (countInk (image, { 1, 1, 35, 22 }), 0) << c.name << ": no tick box";
        EXPECT_TRUE (colourNear (strongestPixel (image, { 1, 1, 118, 22 }), textColour, 1))
            << c.name << ": the text keeps the toggle button's text colour";

        parent.setLookAndFeel (nullptr);
    }
}

//==============================================================================
namespace
{
struct TestBubble : juce::BubbleComponent
{
    void getContentSize (int& w, int& h) override { w = h = 10; }
    void paintContent (juce::Graphics&, int, int) override {}
};
} // namespace

TEST (LookAndFeel, BubbleIsFilledAndOutlinedWithTheBubbleColours)
{
    LookAndFeel lookAndFeel;
    TestBubble bubble;
    bubble.setColour (juce::BubbleComponent::backgroundColourId, juce::Colour (0xff202020));
    bubble.setColour (juce::BubbleComponent::outlineColourId, juce::Colour (0xff00ff00));

    // A 200 × 150 body gives the arrow a base width of min (20, 40, 30) = 20,
    // which Path::addBubble spreads on each side of the tip.
    const juce::Rectangle<float> body (10.0f, 10.0f, 200.0f, 150.0f);
    const juce::Point<float> tip (110.0f, 200.0f);

    const auto image = render (220, 210, "bubble", [&] (juce::Graphics& g)
                               { lookAndFeel.drawBubble (g, bubble, tip, body); });

    EXPECT_TRUE (colourNear (image.getPixelAt (110, 80), juce::Colour (0xff202020), 0)) << "inside the body";
    EXPECT_GT (image.getPixelAt (10, 80).getGreen(), 200) << "left edge outlined";
    EXPECT_EQ (image.getPixelAt (10, 80).getRed(), 0);
    EXPECT_GT (image.getPixelAt (110, 10).getGreen(), 200) << "top edge outlined";
    EXPECT_TRUE (colourNear (image.getPixelAt (110, 170), juce::Colour (0xff202020), 0)) << "inside the arrow";
    EXPECT_TRUE (colourNear (image.getPixelAt (93, 161), juce::Colour (0xff202020), 0)) << "arrow 20 each side of the tip";
    EXPECT_EQ (image.getPixelAt (60, 180).getAlpha(), 0) << "beside the arrow";
    EXPECT_EQ (image.getPixelAt (2, 2).getAlpha(), 0) << "outside the rounded corner";
}

//==============================================================================
namespace
{
/** The pixel in the area that differs most from the background: on a
    transparent background the most opaque one. */
juce::Colour inkAgainst (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
{
    // Compared premultiplied, so that a faint pixel counts as little as it shows.
    const auto distance = [b = background.getPixelARGB()] (juce::Colour colour)
    {
        const auto c = colour.getPixelARGB();
        return juce::jmax (std::abs ((int) c.getAlpha() - (int) b.getAlpha()),
                           std::abs ((int) c.getRed() - (int) b.getRed()),
                           std::abs ((int) c.getGreen() - (int) b.getGreen()),
                           std::abs ((int) c.getBlue() - (int) b.getBlue()));
    };

    auto best = background;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (distance (image.getPixelAt (x, y)) > distance (best))
                best = image.getPixelAt (x, y);

    return best;
}

juce::Image renderMenuItem (LookAndFeel& lookAndFeel, const juce::PopupMenu::Item& item, bool highlighted,
                            const juce::String& name, int width = 240, int height = 48)
{
    return render (width, height, name, [&] (juce::Graphics& g)
    {
        lookAndFeel.drawPopupMenuItemWithOptions (g, { 0, 0, width, height }, highlighted, item, {});
    });
}

juce::PopupMenu::Item menuItem (const juce::String& text)
{
    juce::PopupMenu::Item item (text);
    item.itemID = 1;
    return item;
}
} // namespace

TEST (LookAndFeel, MenuItemColoursFollowHighlightItemColourAndActivity)
{
    // A 240 × 48 row: the item fills (1, 1) to (239, 47); the icon column ends
    // at x 58 and the text starts there.
    const juce::Colour transparent (0x00000000);

    struct Case
    {
        bool highlighted, active;
        juce::uint32 accent;
        juce::uint32 itemColour;  // 0: none given
        juce::uint32 background;  // what fills the inside of the row
        juce::uint32 text;        // 0: the look-and-feel's PopupMenu::textColourId
        const char* name;
    };

    const Case cases[] = {
        { true, true, 0xffff0000, 0, 0xffff0000, 0xffffffff, "menu-item-highlighted" },
        { true, true, 0xffff0000, 0xff00ff00, 0xffff0000, 0xffffffff, "menu-item-highlighted-own-colour" },
        // A light accent gets black text.
        { true, true, 0xffffff00, 0, 0xffffff00, 0xff000000, "menu-item-highlighted-yellow-accent" },
        { false, true, 0xffff0000, 0, 0x00000000, 0, "menu-item-plain" },
        { false, true, 0xffff0000, 0xff00ff00, 0x00000000, 0xff00ff00, "menu-item-own-colour" },
        { false, false, 0xffff0000, 0xff00ff00, 0x00000000, 0x4c00ff00, "menu-item-inactive" },
        // White at 0.3 opacity over red.
        { true, false, 0xffff0000, 0, 0xffff0000, 0xffff4c4c, "menu-item-highlighted-inactive" },
    };

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        lookAndFeel.setColour (LookAndFeel::colour1Id, juce::Colour (c.accent));
        auto item = menuItem ("Reverse");
        item.isEnabled = c.active;
        item.colour = juce::Colour (c.itemColour);

        const auto image = renderMenuItem (lookAndFeel, item, c.highlighted, c.name);
        const juce::Colour background (c.background);
        const auto text = c.text != 0 ? juce::Colour (c.text) : lookAndFeel.findColour (juce::PopupMenu::textColourId);

        EXPECT_EQ (hex (image.getPixelAt (0, 0)), hex (transparent)) << c.name << ": the row's rim stays empty";
        EXPECT_EQ (hex (image.getPixelAt (239, 47)), hex (transparent)) << c.name;
        EXPECT_EQ (hex (image.getPixelAt (1, 1)), hex (background)) << c.name;
        EXPECT_EQ (hex (image.getPixelAt (238, 46)), hex (background)) << c.name;
        EXPECT_GT (countInk (image, { 58, 1, 180, 46 }), 100) << c.name;
        EXPECT_TRUE (colourNear (inkAgainst (image, { 58, 1, 180, 46 }, background), text, 2)) << c.name;
    }
}

TEST (LookAndFeel, MenuItemDrawsTickSubMenuArrowShortcutAndIcon)
{
    // Icon column (4, 4) to (55, 44); the sub-menu arrow takes the last
    // (int) (0.5 × ascent) pixels before x 239, the text and the shortcut end
    // 3 pixels before that.
    const juce::Rectangle<int> iconColumn (1, 1, 57, 46);
    const juce::Rectangle<int> rightEnd (219, 1, 20, 46);
    const juce::Rectangle<int> shortcutArea (160, 1, 55, 46);

    const juce::Colour green (0xff00ff00);
    auto greenSquare = std::make_unique<juce::DrawableRectangle>();
    greenSquare->setRectangle (juce::Parallelogram<float> ({ 0.0f, 0.0f, 100.0f, 100.0f }));
    greenSquare->setFill (green);

    struct Case
    {
        bool ticked, subMenu, icon, active;
        const char* shortcut;
        bool inkInIconColumn, inkAtRightEnd, inkInShortcutArea;
        const char* name;
    };

    const Case cases[] = {
        { false, false, false, true, "", false, false, false, "menu-item-bare" },
        { true, false, false, true, "", true, false, false, "menu-item-ticked" },
        { false, true, false, true, "", false, true, false, "menu-item-sub-menu" },
        { false, false, false, true, "Ctrl+R", false, true, true, "menu-item-shortcut" },
        { false, false, true, false, "", true, false, false, "menu-item-icon-inactive" },
    };

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        auto item = menuItem ("Go");
        item.isTicked = c.ticked;
        item.isEnabled = c.active;
        item.shortcutKeyDescription = c.shortcut;

        if (c.subMenu)
        {
            juce::PopupMenu sub;
            sub.addItem (7, "Inside");
            item.subMenu = std::make_unique<juce::PopupMenu> (sub);
        }

        if (c.icon)
            item.image = greenSquare->createCopy();

        const auto image = renderMenuItem (lookAndFeel, item, false, c.name);

        EXPECT_EQ (countInk (image, iconColumn) > 0, c.inkInIconColumn) << c.name;
        EXPECT_EQ (countInk (image, rightEnd) > 0, c.inkAtRightEnd) << c.name;
        EXPECT_EQ (countInk (image, shortcutArea) > 0, c.inkInShortcutArea) << c.name;
        EXPECT_GT (countInk (image, { 58, 1, 100, 46 }), 50) << c.name << ": the text";

        if (c.icon)
        {
            EXPECT_EQ (hex (image.getPixelAt (29, 24)), hex (green)) << "the icon keeps full opacity";
            EXPECT_EQ (image.getPixelAt (5, 24).getAlpha(), 0) << "the icon is scaled to 40 × 40, centred";
        }

        if (*c.shortcut != 0)
        {
            EXPECT_LE (inkBounds (image).getRight(), 236) << "3 pixels kept free at the right";
        }

        if (c.subMenu)
        {
            // A triangle pointing right: tall at its left edge, a point at its right.
            const auto bounds = inkBounds (image.getClippedImage (rightEnd));
            EXPECT_NEAR (bounds.getCentreY() + 1, 24, 1);
            EXPECT_GE (bounds.getHeight() * 2, bounds.getWidth() * 3);
        }
    }
}

TEST (LookAndFeel, MenuSeparatorRowIsFullHeightWithTwoLinesAtItsMiddle)
{
    LookAndFeel lookAndFeel;
    juce::PopupMenu::Item separator;
    separator.isSeparator = true;

    int width = 0, height = 0;
    lookAndFeel.getIdealPopupMenuItemSizeWithOptions ({}, true, 20, width, height, {});
    ASSERT_EQ (height, 48);

    const auto image = renderMenuItem (lookAndFeel, separator, false, "menu-separator", 240, height);

    for (int x = 0; x < 240; ++x)
    {
        const bool inside = x >= 5 && x < 235;

        for (int y = 0; y < 48; ++y)
        {
            const auto expected = ! inside ? juce::Colour (0x00000000)
                                : y == 23  ? juce::Colour (0x33000000)
                                : y == 24  ? juce::Colour (0x66ffffff)
                                           : juce::Colour (0x00000000);

            ASSERT_TRUE (colourNear (image.getPixelAt (x, y), expected, 1)) << "at " << x << ", " << y;
        }
    }
}

TEST (LookAndFeel, MenuItemsAreSizedByTheFortyPixelFont)
{
    struct Case { const char* text; bool separator; int standardHeight; };

    const Case cases[] = {
        { "Reverse", false, 0 },
        { "Reverse", false, 20 },
        { "Options for the Dry/Wet mix", false, 100 },
        { "", true, 0 },
        { "", true, 30 },
    };

    LookAndFeel lookAndFeel;

    for (const auto& c : cases)
    {
        int width = 0, height = 0;
        lookAndFeel.getIdealPopupMenuItemSizeWithOptions (c.text, c.separator, c.standardHeight, width, height, {});

        const auto textWidth = juce::Font (40.0f).getStringWidthFloat (c.text);
        EXPECT_EQ (height, 48) << c.text << " / " << c.standardHeight;
        EXPECT_EQ (width, (int) std::ceil (textWidth) + 96) << c.text;
    }

    EXPECT_FALSE (lookAndFeel.shouldPopupMenuScaleWithTargetComponent ({}));
}

TEST (LookAndFeel, MenuSectionHeaderIsBoldBottomLeftInTheHeaderColour)
{
    LookAndFeel lookAndFeel;
    lookAndFeel.setColour (juce::PopupMenu::headerTextColourId, juce::Colour (0xff00ff00));

    const auto image = render (300, 60, "menu-section-header", [&] (juce::Graphics& g)
                               { lookAndFeel.drawPopupMenuSectionHeaderWithOptions (g, { 0, 0, 300, 60 }, "Mix", {}); });

    const auto ink = inkBounds (image);
    EXPECT_GE (ink.getX(), 12);
    EXPECT_LE (ink.getX(), 16) << "left-aligned";
    EXPECT_LE (ink.getBottom(), 48) << "within 0.8 of the height";
    EXPECT_GE (ink.getBottom(), 38) << "at the bottom of that";
    EXPECT_TRUE (colourNear (strongestPixel (image, ink), juce::Colour (0xff00ff00), 1));

    // Bold: wider strokes than the same text in the plain menu font.
    const auto plain = render (300, 60, "menu-section-header-plain", [&] (juce::Graphics& g)
    {
        g.setColour (juce::Colours::white);
        g.setFont (lookAndFeel.getPopupMenuFont());
        g.drawText ("Mix", 12, 0, 284, 48, juce::Justification::bottomLeft, false);
    });
    EXPECT_GT (countInk (image, ink), countInk (plain, inkBounds (plain)) * 11 / 10);
}

#if JUCE_LINUX
namespace juce
{
// JUCE's own message dispatch on Linux; this build does not permit modal loops.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce
#endif

TEST (LookAndFeel, OpenMenuShowsTheHighlightAndAFullHeightSeparator)
{
    // Placing a menu asks for the displays, which only a running X server gives.
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "no display: run under xvfb-run -a to open a real menu";

    LookAndFeel lookAndFeel;
    juce::Component parent;
    parent.setLookAndFeel (&lookAndFeel);
    parent.setBounds (0, 0, 400, 400);

    juce::PopupMenu menu;
    menu.setLookAndFeel (&lookAndFeel);
    menu.addItem (1, "Reverse");
    menu.addSeparator();
    menu.addItem (2, "Fade", true, true);
    menu.addItem (3, "Mix", false);

    menu.showMenuAsync (juce::PopupMenu::Options().withParentComponent (&parent)
                                                   .withTargetScreenArea ({ 10, 10, 1, 1 })
                                                   .withInitiallySelectedItem (1));

    ASSERT_EQ (parent.getNumChildComponents(), 1);
    auto* window = parent.getChildComponent (0);
    ASSERT_EQ (window->getNumChildComponents(), 4);

    for (auto* row : window->getChildren())
        EXPECT_EQ (row->getHeight(), 48) << "every row, the separator too";

    const auto image = renderComponent (*window, "menu-open");
    const auto rowTop = [window] (int index) { return window->getChildComponent (index)->getY(); };
    const auto background = image.getPixelAt (window->getWidth() / 2, rowTop (1) + 10);

    // The highlighted first row: red, with white text.
    EXPECT_EQ (hex (image.getPixelAt (window->getWidth() - 6, rowTop (0) + 5)), hex (red));
    EXPECT_TRUE (colourNear (inkAgainst (image, window->getChildComponent (0)->getBounds(), red), juce::Colours::white, 0));

    // The separator's dark line on row 23 and light line on row 24 of its row.
    const auto x = window->getWidth() / 2;
    EXPECT_LT (image.getPixelAt (x, rowTop (1) + 23).getBrightness(), background.getBrightness());
    EXPECT_GT (image.getPixelAt (x, rowTop (1) + 24).getBrightness(), background.getBrightness());
    EXPECT_EQ (hex (image.getPixelAt (x, rowTop (1) + 22)), hex (background));
    EXPECT_EQ (hex (image.getPixelAt (x, rowTop (1) + 25)), hex (background));

    juce::PopupMenu::dismissAllActiveMenus();

   #if JUCE_LINUX
    // The closed menu deletes its window from the message queue.
    for (int i = 0; i < 100 && parent.getNumChildComponents() > 0; ++i)
        juce::dispatchNextMessageOnSystemQueue (true);
   #endif

    EXPECT_EQ (parent.getNumChildComponents(), 0);
    parent.setLookAndFeel (nullptr);
}

//==============================================================================
TEST (LookAndFeel, ComboBoxShowsOnlyItsCentredLabelInTheAccent)
{
    LookAndFeel lookAndFeel;
    juce::ComboBox box;
    box.setLookAndFeel (&lookAndFeel);
    box.setBounds (0, 0, 160, 30);
    box.addItem ("1/4 bar", 1);
    box.setSelectedId (1, juce::dontSendNotification);

    ASSERT_EQ (box.getNumChildComponents(), 1);
    auto* label = dynamic_cast<juce::Label*> (box.getChildComponent (0));
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (0, 0, 160, 30));
    EXPECT_EQ (label->getJustificationType(), juce::Justification::centred);
    EXPECT_FLOAT_EQ (label->getFont().getHeight(), 14.0f);
    EXPECT_EQ (hex (label->findColour (juce::Label::textColourId)), hex (red));
    EXPECT_EQ (label->getText(), "1/4 bar");

    const auto image = renderComponent (box, "combo-box");
    const auto ink = inkBounds (image);
    EXPECT_NEAR (ink.getCentreX(), 80, 2) << "centred";
    EXPECT_NEAR (ink.getCentreY(), 15, 3);
    EXPECT_EQ (countInk (image, { 0, 0, 40, 30 }), 0) << "no box, no arrow, no background";
    EXPECT_EQ (countInk (image, { 120, 0, 40, 30 }), 0);
    EXPECT_TRUE (colourNear (strongestPixel (image, ink), red, 1));

    box.setLookAndFeel (nullptr);

    // The text box it makes starts empty.
    juce::ComboBox other;
    std::unique_ptr<juce::Label> textBox (lookAndFeel.createComboBoxTextBox (other));
    EXPECT_TRUE (textBox->getName().isEmpty());
    EXPECT_TRUE (textBox->getText().isEmpty());
}

//==============================================================================
TEST (LookAndFeel, LabelDrawsOnlyItsTextInItsColour1)
{
    // colour1Id of the label itself, else of the look-and-feel; the label's
    // text, background and outline colours and its enablement play no part.
    struct Case { juce::uint32 labelColour1; bool enabled; bool editing; juce::uint32 expected; const char* name; };

    const Case cases[] = {
        { 0, true, false, 0xffff0000, "label-accent" },
        { 0xff00ff00, true, false, 0xff00ff00, "label-own-colour1" },
        { 0, false, false, 0xffff0000, "label-disabled" },
        { 0, true, true, 0xffff0000, "label-editing" },
    };

    for (const auto& c : cases)
    {
        LookAndFeel lookAndFeel;
        juce::Label label ({}, "Dry/Wet");
        label.setLookAndFeel (&lookAndFeel);
        label.setBounds (0, 0, 120, 30);
        label.setColour (juce::Label::textColourId, juce::Colours::blue);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::yellow);
        label.setColour (juce::Label::outlineColourId, juce::Colours::cyan);

        if (c.labelColour1 != 0)
            label.setColour (LookAndFeel::colour1Id, juce::Colour (c.labelColour1));

        label.setEnabled (c.enabled);

        if (c.editing)
        {
            // Off screen the editor cannot take the focus; debug builds log a
            // JUCE assertion about that, and the label is in editing all the same.
            label.setEditable (true);
            label.showEditor();
            ASSERT_TRUE (label.isBeingEdited());
        }

        const auto image = render (120, 30, c.name, [&] (juce::Graphics& g)
                                   { lookAndFeel.drawLabel (g, label); });

        EXPECT_EQ (countInk (image, { 0, 0, 120, 2 }), 0) << c.name << ": no outline or background";
        EXPECT_EQ (countInk (image, { 0, 0, 3, 30 }), 0) << c.name;
        EXPECT_GT (countInk (image, { 0, 0, 120, 30 }), 50) << c.name;
        EXPECT_TRUE (colourNear (strongestPixel (image, { 0, 0, 120, 30 }), juce::Colour (c.expected), 1)) << c.name;

        label.setLookAndFeel (nullptr);
    }
}

TEST (LookAndFeel, LabelFitsAsManyLinesAsItsTextAreaHoldsFontHeights)
{
    // A border of 2 on every side and a 14-pixel font: a 32-pixel label has
    // room for 2 lines, a 46-pixel one for 3, a 20-pixel one for 1.
    struct Case { int height, lines; };

    for (const auto c : { Case { 32, 2 }, Case { 46, 3 }, Case { 20, 1 }, Case { 10, 1 } })
    {
        LookAndFeel lookAndFeel;
        juce::Label label ({}, "MIX FADE HALF BAR LOOP");
        label.setLookAndFeel (&lookAndFeel);
        label.setBorderSize (juce::BorderSize<int> (2));
        label.setFont (juce::Font (14.0f));
        label.setMinimumHorizontalScale (1.0f);
        label.setBounds (0, 0, 70, c.height);

        const auto name = "label-lines-" + juce::String (c.height);
        const auto image = render (70, c.height, name, [&] (juce::Graphics& g)
                                   { lookAndFeel.drawLabel (g, label); });

        EXPECT_EQ (countInkBands (image), c.lines) << name;
        label.setLookAndFeel (nullptr);
    }
}

//==============================================================================
namespace
{
// From 7:30 through 12 o'clock to 4:30; the middle of the arc points up.
constexpr float startAngle = 1.25f * pi;
constexpr float endAngle = 2.75f * pi;

struct RotaryRig
{
    RotaryRig (int size, double value, bool uni = false, bool enabled = true)
    {
        slider.setLookAndFeel (&lookAndFeel);
        slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
        slider.setRotaryParameters (startAngle, endAngle, true);
        slider.setRange (0.0, 1.0);
        slider.setValue (value, juce::dontSendNotification);
        slider.setBounds (0, 0, size, size);
        slider.setEnabled (enabled);

        if (uni)
            slider.getProperties().set ("uni", true);
    }

    ~RotaryRig() { slider.setLookAndFeel (nullptr); }

    juce::Image paint (const juce::String& name) { return image = renderComponent (slider, name); }

    /** The pixel at the given angle (clockwise from 12 o'clock) and distance from the centre. */
    juce::Colour at (float angle, float distance) const
    {
        const auto centre = (float) slider.getWidth() * 0.5f;
        return image.getPixelAt ((int) std::floor (centre + distance * std::sin (angle)),
                                 (int) std::floor (centre - distance * std::cos (angle)));
    }

    LookAndFeel lookAndFeel;
    juce::Slider slider;
    juce::Image image;
};
} // namespace

TEST (LookAndFeel, RotarySliderUsesThePointerUpToRadiusTenAndTheArcFromEleven)
{
    // At 0.5 the pointer points straight up. Size 30 gives radius 10: a ring
    // at 8 and a pointer line from the centre; size 32 gives radius 11: a
    // filled arc between 7.7 and 11 around an empty middle.
    {
        RotaryRig pointer (30, 0.5);
        pointer.paint ("rotary-radius-10");

        // The fill colour 0x7FFF0000 at alpha 0.8, not brightened.
        EXPECT_TRUE (colourNear (pointer.at (0.0f, 4.0f), juce::Colour (0xccff0000), 2)) << "pointer line";
        EXPECT_GT (pointer.at (1.5f * pi, 8.0f).getAlpha(), 0) << "ring";
        EXPECT_EQ (pointer.at (1.5f * pi, 9.5f).getAlpha(), 0) << "no arc outside the ring";
        EXPECT_EQ (pointer.at (pi, 4.0f).getAlpha(), 0) << "pointer only on one side";
    }

    {
        RotaryRig arc (32, 0.5);
        arc.paint ("rotary-radius-11");

        EXPECT_EQ (arc.at (0.0f, 4.0f).getAlpha(), 0) << "the middle is empty";
        EXPECT_GT (arc.at (1.5f * pi, 9.5f).getAlpha(), 200) << "filled arc on the left";
        EXPECT_LT (arc.at (0.5f * pi, 9.5f).getAlpha(), 40) << "only the faint track on the right";
        EXPECT_GT (arc.at (0.5f * pi, 9.5f).getAlpha(), 10);
        EXPECT_EQ (arc.at (pi, 9.5f).getAlpha(), 0) << "nothing in the gap at the bottom";
    }
}

TEST (LookAndFeel, RotaryArcFillsFromTheStartOrWithUniFromTheMiddle)
{
    // Size 64: radius 27, the arc between 18.9 and 27; probes at 23 in the
    // lower left (0.4 of the way), upper left (0.4 to 0.5) and upper right
    // (0.5 to 0.6) of the arc.
    const float lowerLeft = 1.45f * pi, upperLeft = 1.85f * pi, upperRight = 2.15f * pi;

    struct Case { double value; bool uni; bool lowerLeftFilled, upperLeftFilled, upperRightFilled; const char* name; };

    const Case cases[] = {
        { 0.25, false, true, false, false, "rotary-quarter" },
        { 0.5, false, true, true, false, "rotary-half" },
        { 0.5, true, false, false, false, "rotary-uni-half" },
        { 0.25, true, false, true, false, "rotary-uni-quarter" },
        { 0.75, true, false, false, true, "rotary-uni-three-quarters" },
    };

    // The fill colour brightened by 0.2 is 0x7FFF2A2A; the arc is drawn at
    // alpha 0.8 and the whole track over it at alpha 0x19.
    const juce::Colour filled (0xd1ff2a2a);
    const juce::Colour track (0x19ff2a2a);

    for (const auto& c : cases)
    {
        RotaryRig rig (64, c.value, c.uni);
        rig.paint (c.name);

        EXPECT_TRUE (colourNear (rig.at (lowerLeft, 23.0f), c.lowerLeftFilled ? filled : track, 3)) << c.name;
        EXPECT_TRUE (colourNear (rig.at (upperLeft, 23.0f), c.upperLeftFilled ? filled : track, 3)) << c.name;
        EXPECT_TRUE (colourNear (rig.at (upperRight, 23.0f), c.upperRightFilled ? filled : track, 3)) << c.name;
        EXPECT_EQ (rig.at (pi, 23.0f).getAlpha(), 0) << c.name << ": the gap at the bottom";
        EXPECT_EQ (rig.at (0.0f, 12.0f).getAlpha(), 0) << c.name << ": the middle";
    }
}

TEST (LookAndFeel, DisabledRotarySliderIsGrey)
{
    {
        RotaryRig pointer (30, 0.5, false, false);
        pointer.paint ("rotary-radius-10-disabled");
        EXPECT_TRUE (colourNear (pointer.at (0.0f, 4.0f), juce::Colour (0x80808080), 2));
    }

    {
        RotaryRig arc (64, 0.5, false, false);
        arc.paint ("rotary-disabled");

        const auto filledPart = arc.at (1.45f * pi, 23.0f);
        EXPECT_GT (filledPart.getAlpha(), 120) << hex (filledPart);
        EXPECT_GT (filledPart.getGreen(), 90) << hex (filledPart) << ": grey under the faint red track";
        EXPECT_TRUE (colourNear (arc.at (2.15f * pi, 23.0f), juce::Colour (0x19ff2a2a), 3)) << "the track stays";
    }
}
