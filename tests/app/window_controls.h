#pragma once
// Finding, clicking, reading and writing a window's controls by their object names, for the
// fixtures of the window tests.

#include "app/form1.h"
#include "app/text_boxes.h"

#include <QAbstractButton>
#include <QString>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace kelvaro::app {

inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// A fixture's base for the window it drives, which `Driven` gives.
class DrivesControls {
protected:
  virtual ~DrivesControls() = default;
  virtual QWidget* Driven() = 0;

  template <class T = QWidget> T* Control(std::string_view name) {
    T* control = Driven()->findChild<T*>(Q(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void Click(std::string_view button) {
    QTest::mouseClick(Control<QAbstractButton>(button), Qt::LeftButton);
    WaitUntilIdle();
  }
  /// A click that runs off the window's thread (a host lookup, a long text) ends with its result.
  void WaitUntilIdle() {
    if (auto* window = qobject_cast<Form1*>(Driven())) {
      EXPECT_TRUE(QTest::qWaitFor([window] { return !window->isWorking(); }, 60'000));
    }
  }
  std::u16string Read(std::string_view box) { return ReadBox(Control(box)); }
  void Set(std::string_view box, std::u16string_view text) { WriteBox(Control(box), text); }
};

} // namespace kelvaro::app
