#pragma once
// The window's controls as data: the window builds itself from this table in one loop, and the
// window tests hold the built window against it. Rectangles are in twips, relative to the client
// area, as the original layout gives them; 15 twips make one device-independent pixel.

#include <span>
#include <string_view>

namespace kelvaro::app {

enum class ControlKind { TextBox, Label, Button, CheckBox, ComboBox };

/// Control flags.
inline constexpr unsigned kMultiLine = 1; ///< text box: multi-line, vertical scroll bar, word wrap
inline constexpr unsigned kVerticalCaption = 2; ///< caption reads top to bottom, one character wide
/// Button: an arrow part at its right edge lists the other results of the last click (the
/// operation's alternatives); choosing one writes it to the box the click wrote.
inline constexpr unsigned kDropDown = 4;
/// Label or check box: the caption is the window's own word rather than one of the layout's, and
/// is shown in the window's language.
inline constexpr unsigned kTranslatedCaption = 8;

inline constexpr int kTwipsPerPixel = 15;
/// The default client area, which is also the smallest the window can be.
inline constexpr int kClientWidthTwips = 8790;
inline constexpr int kClientHeightTwips = 7620;

/// How a control follows the window when the user makes it larger than its default size.
enum class Anchor {
  BelowBoxes,   ///< the rows under the boxes: move down with the bottom edge, same left and size
  StatusLine,   ///< moves down with the bottom edge and takes the extra width
  Fixed,        ///< stays where it is (the label beside the upper box)
  UpperBox,     ///< Text1: the extra width and the upper half of the extra height
  LowerBox,     ///< Text2: the extra width and the rest of the extra height, below Text1
  WithLowerBox, ///< moves down as the lower box does (its label, the swap button between them)
};

struct ControlSpec {
  std::string_view name = {}; ///< objectName (UTF-8)
  ControlKind kind = ControlKind::Label;
  std::string_view caption = {};                ///< caption, or a text box's initial text (UTF-8)
  int left = 0, top = 0, width = 0, height = 0; ///< twips
  int tabIndex = 0; ///< labels are numbered too but never take the focus
  /// What the control does, in the window's own words (translated, unlike the captions); empty
  /// for controls that do nothing when used. On a button whose operation follows the charset,
  /// "%1" stands for the charset the next click will use.
  std::string_view toolTip = {};
  unsigned flags = 0;
  /// A button's operation: the cliName of its registry row. Empty on the window's own buttons.
  std::string_view operation = {};
  /// On a button that alternates between two operations, the second one: the click runs
  /// `operation` while the button's Tag is "1" and this one while it is "2", flipping the Tag.
  std::string_view alternate = {};
  std::string_view placeholder = {}; ///< grey text an empty single-line box shows (translated)
  Anchor anchor = Anchor::BelowBoxes;
};

/// The controls that work on the window itself rather than run an operation of their own.
inline constexpr std::string_view kSwapButton = "Command1";
inline constexpr std::string_view kReplaceButton = "CMDTIHUAN";
inline constexpr std::string_view kMoreButton = "CMDMORE"; ///< runs the choice of ComboMore
inline constexpr std::string_view kMoreList = "ComboMore";
inline constexpr std::string_view kCharsetList = "ComboCharset";
inline constexpr std::string_view kStatusLine = "LabelStatus";

/// The translation context of the table's texts.
inline constexpr char kControlsContext[] = "kelvaro::app::Controls";

/// Twips to device-independent pixels, rounded to the nearest pixel.
[[nodiscard]] constexpr int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

/// A rectangle in device-independent pixels.
struct PixelRect {
  int left, top, width, height;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// Where a control stands when the client area is `extraWidth` x `extraHeight` pixels larger than
/// its default size (negative extras count as zero: the window never gets smaller). At zero extra
/// every control stands at its table rectangle.
[[nodiscard]] PixelRect PlaceControl(const ControlSpec& control, int extraWidth, int extraHeight);

/// Every control of the window, in tab order.
[[nodiscard]] std::span<const ControlSpec> Controls();

} // namespace kelvaro::app
