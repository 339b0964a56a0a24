#pragma once
// The window's controls as data: the window builds itself from this table in one loop, and the
// window tests hold the built window against it. Rectangles are in twips, relative to the client
// area, as the original layout gives them; 15 twips make one device-independent pixel.

#include <span>
#include <string_view>

namespace kelvaro::app {

enum class ControlKind { TextBox, Label, Button, CheckBox };

/// Control flags.
inline constexpr unsigned kMultiLine = 1; ///< text box: multi-line, vertical scroll bar, word wrap
inline constexpr unsigned kVerticalCaption = 2; ///< caption reads top to bottom, one character wide

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 8790;
inline constexpr int kClientHeightTwips = 6810;

struct ControlSpec {
  std::string_view name; ///< objectName (UTF-8)
  ControlKind kind;
  std::string_view caption;     ///< caption, or a text box's initial text (UTF-8)
  int left, top, width, height; ///< twips
  int tabIndex;                 ///< labels are numbered too but never take the focus
  std::string_view toolTip;     ///< empty for controls that do nothing when used
  unsigned flags;
  /// A button's operation: the cliName of its registry row. Empty on the window's own buttons.
  std::string_view operation;
  /// On a button that alternates between two operations, the second one: the click runs
  /// `operation` while the button's Tag is "1" and this one while it is "2", flipping the Tag.
  std::string_view alternate;
};

/// The buttons that work on the window itself rather than run an operation.
inline constexpr std::string_view kSwapButton = "Command1";
inline constexpr std::string_view kReplaceButton = "CMDTIHUAN";

/// Twips to device-independent pixels, rounded to the nearest pixel.
[[nodiscard]] constexpr int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

/// Every control of the window, in tab order.
[[nodiscard]] std::span<const ControlSpec> Controls();

} // namespace kelvaro::app
