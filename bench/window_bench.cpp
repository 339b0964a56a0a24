// kelvaro-window-bench: how the window feels with a big text. With 8 MiB of Chinese text in Text1
// (counted as UTF-8, like kelvaro-bench), a click on base64encode until Text2 is repainted, and
// one typed character until Text1 is repainted.
//
//   kelvaro-window-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "app/form1.h"
#include "app/text_boxes.h"
#include "registry/operations.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <string>

namespace kelvaro::app {
namespace {

constexpr std::size_t kBigText = 8u << 20;

// Chinese prose with some ASCII words and CR LF line breaks, about `utf8Bytes` long as UTF-8.
std::u16string GenerateText(std::size_t utf8Bytes) {
  std::mt19937 random(20261208);
  std::u16string text;
  text.reserve(utf8Bytes / 2);
  std::size_t size = 0;
  while (size < utf8Bytes) {
    const unsigned pick = random() % 16;
    if (pick < 11) {
      text.push_back(static_cast<char16_t>(0x4E00 + random() % 0x3000));
      size += 3;
    } else if (pick < 15) {
      text += u"Kelvaro ";
      size += 8;
    } else {
      text += u"\r\n";
      size += 2;
    }
  }
  return text;
}

// Stands in for base64encode while it has not landed: output of Base64's size and shape (one line
// of ASCII, no spaces), so the window does the same work.
Outcome FakeBase64(std::u16string_view input, const OperationOptions&) {
  std::u16string out(4 * ((2 * input.size() + 2) / 3), u'Q');
  return Outcome::Converted(std::move(out));
}

const Operation kFakeBase64[] = {{"base64-encode", "CMDBASE64", "base64encode", Box::Text1,
                                  Box::Text2, false, "", "", "", "", FakeBase64}};

std::span<const Operation> ClickTable() {
  const Operation* real = FindOperation("base64-encode");
  if (real != nullptr && real->run != nullptr)
    return Operations();
  return kFakeBase64;
}

const std::u16string& BigText() {
  static const std::u16string text = GenerateText(kBigText);
  return text;
}

void SettleAndPaint(QPlainTextEdit* box) {
  QCoreApplication::processEvents();
  box->viewport()->repaint();
}

void ClickBase64Encode(benchmark::State& state) {
  Form1 window(ClickTable());
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    state.SkipWithError("the window was not shown");
    return;
  }
  auto* text1 = window.findChild<QPlainTextEdit*>("Text1");
  auto* text2 = window.findChild<QPlainTextEdit*>("Text2");
  auto* button = window.findChild<QPushButton*>("CMDBASE64");
  WriteBox(text1, BigText());
  SettleAndPaint(text1);
  for (auto _ : state) {
    WriteBox(text2, u"");
    SettleAndPaint(text2);
    const auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    SettleAndPaint(text2);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetLabel(ClickTable().size() == 1 ? "fake base64 (not landed)" : "registry base64-encode");
  state.counters["Text2 units"] = static_cast<double>(text2->document()->characterCount());
}
BENCHMARK(ClickBase64Encode)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void TypeOneCharacter(benchmark::State& state) {
  Form1 window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    state.SkipWithError("the window was not shown");
    return;
  }
  auto* text1 = window.findChild<QPlainTextEdit*>("Text1");
  WriteBox(text1, BigText());
  // range(0): where the caret stands, in per cent of the text.
  QTextCursor cursor = text1->textCursor();
  cursor.setPosition(static_cast<int>(text1->document()->characterCount() - 1) *
                     static_cast<int>(state.range(0)) / 100);
  text1->setTextCursor(cursor);
  text1->setFocus();
  SettleAndPaint(text1);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    QTest::keyClick(text1, Qt::Key_A);
    SettleAndPaint(text1);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(TypeOneCharacter)
    ->Arg(0)
    ->Arg(50)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kelvaro::app

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
