#pragma once
// The window's text boxes. They hold code-page-936 text: whatever is written, typed or pasted into
// them passes the text box rule, and reading a multi-line box gives Windows line breaks (CR LF).

#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>
#include <string_view>

namespace kelvaro::app {

/// A QString's UTF-16 code units, without a copy (valid while the QString lives unchanged).
[[nodiscard]] std::u16string_view UnitsOf(const QString& text);
/// A QString of UTF-16 code units (a lone surrogate stays a lone surrogate).
[[nodiscard]] QString ToQString(std::u16string_view text);
/// The text box rule on a QString; gives back the same QString when nothing changes.
[[nodiscard]] QString KeptByTextBox(const QString& text);

/// Multi-line box with a vertical scroll bar and word wrap (Text1, Text2). Only the inserted text
/// is filtered on typing and pasting, so an edit costs the same in a box holding megabytes.
///
/// Qt lays out a whole paragraph at once, and a paragraph of megabytes (one line of Base64 or hex)
/// takes seconds. A written line longer than kSoftLineUnits is therefore held as several blocks;
/// every block after the first is marked as a continuation, reads back without a line break,
/// and is copied without one. Only the visible blocks are ever laid out.
class MultiLineBox : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit MultiLineBox(QWidget* parent = nullptr);

  /// The text as shown, each line break as CR LF.
  [[nodiscard]] std::u16string boxText() const;
  /// Replaces the whole content through the text box rule; CR LF, a lone CR and a lone LF each
  /// become one line break.
  void setBoxText(std::u16string_view text);

  /// Units after which a written line continues in a block of its own.
  static constexpr std::size_t kSoftLineUnits = 16384;
  /// QTextBlock::userState of a block that continues the line of the block before it.
  static constexpr int kContinuation = 1;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
};

/// Single-line box (Text3, TxtBeiTiHuan, TxtTiHuan).
class SingleLineBox : public QLineEdit {
  Q_OBJECT
public:
  explicit SingleLineBox(QWidget* parent = nullptr);

  [[nodiscard]] std::u16string boxText() const;
  void setBoxText(std::u16string_view text);

private:
  void filterEdit(const QString& edited);

  QString m_accepted; ///< the content before the user's edit, to find what the edit inserted
};

/// The content of a text box (either kind) as the click handlers read it; empty for other widgets.
[[nodiscard]] std::u16string ReadBox(const QWidget* box);
/// Writes a whole text box (either kind) through the text box rule.
void WriteBox(QWidget* box, std::u16string_view text);

} // namespace kelvaro::app
