// The spin edit with decimals: its arithmetic, clamping, beep and text that
// is not a number.
#include <gtest/gtest.h>

#include <QtGui/QFocusEvent>
#include <QtWidgets/QAbstractSpinBox>
#include <QtWidgets/QApplication>

#include "platform/runtime/Strings.h"

#include "VisualTestSupport.h"
#include "ui/My_spinedit.h"

namespace sk {
namespace {

class My_spinedit : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    spin = new TMySpinEdit(&form);
    spin->SetParent(&form);
    fBeeps = SetMessageBeepHandler([this](Cardinal) { ++beeps; });
  }
  void TearDown() override { SetMessageBeepHandler(std::move(fBeeps)); }
  void Up() { static_cast<QAbstractSpinBox*>(spin->Widget())->stepUp(); }
  void Down() { static_cast<QAbstractSpinBox*>(spin->Widget())->stepDown(); }

  TForm form{nullptr};
  TMySpinEdit* spin = nullptr;
  int beeps = 0;

 private:
  TMessageBeepHandler fBeeps;
};

TEST_F(My_spinedit, DecimalsMoveByTheFloatIncrementAndStopAtTheLimits) {
  EXPECT_EQ(spin->MaxFloatValue(), 9999.0);
  EXPECT_EQ(spin->MinFloatValue(), -9999.0);
  EXPECT_EQ(spin->FloatIncrement(), 1.0);
  spin->SetPrecision(2);
  spin->SetMinFloat(0);
  spin->SetMaxFloat(1);
  spin->SetFloatIncrement(0.1);
  spin->SetFloatValue(0.95);
  EXPECT_EQ(spin->GetText(), u"0.95");
  Up();
  EXPECT_EQ(spin->GetText(), u"1.00");
  Down();
  EXPECT_EQ(spin->GetText(), u"0.90");
  spin->SetFloatValue(-3);
  EXPECT_EQ(spin->GetText(), u"0.00");
  Down();
  EXPECT_EQ(spin->GetFloatValue(), 0.0);
}

TEST_F(My_spinedit, EqualFloatLimitsMeanNone) {
  spin->SetPrecision(1);
  spin->SetMinFloat(5);
  spin->SetMaxFloat(5);
  const struct {
    double in;
    String shown;
  } cases[] = {{123456.78, u"123456.8"}, {-0.04, u"0.0"}, {5, u"5.0"}, {-9999.5, u"-9999.5"}};
  for (const auto& c : cases) {
    EXPECT_EQ(spin->CheckFloatValue(c.in), c.in);
    spin->SetFloatValue(c.in);
    EXPECT_EQ(spin->GetText(), c.shown) << c.in;
  }
}

TEST_F(My_spinedit, TextThatIsNoNumberReadsAsTheFloatMinimum) {
  spin->SetPrecision(2);
  for (const String& text : {String(u"abc"), String(u""), String(u"1.2.3"), String(u"--4")}) {
    spin->SetText(text);
    EXPECT_EQ(spin->GetFloatValue(), -9999.0) << StringToUtf8(text);
  }
  spin->SetText(u" 2.5 ");
  EXPECT_EQ(spin->GetFloatValue(), 2.5);
  // Up from text that is no number starts at the minimum.
  spin->SetText(u"x");
  spin->SetMinFloat(-1);
  spin->SetMaxFloat(1);
  spin->SetFloatIncrement(0.5);
  Up();
  EXPECT_EQ(spin->GetText(), u"-0.50");
}

TEST_F(My_spinedit, IntegerModeMovesByTheIncrementWithinTheIntegerLimits) {
  spin->SetMinValue(0);
  spin->SetMaxValue(20);
  spin->SetIncrement(7);
  spin->SetValue(10);
  Up();
  EXPECT_EQ(spin->Value(), 17);
  Up();
  EXPECT_EQ(spin->Value(), 20);
  Down();
  EXPECT_EQ(spin->GetText(), u"13");
  // Going to decimals starts the float value from the integer.
  spin->SetPrecision(1);
  spin->SetFloatIncrement(0.5);
  spin->SetMinFloat(0);
  spin->SetMaxFloat(0);
  Up();
  EXPECT_EQ(spin->GetText(), u"13.5");
  EXPECT_EQ(beeps, 0);
}

// What the user types is held to the limits once the box is left, and the
// box shows the value it answers: in integer mode within 1..100 (a number
// too long for 32 bits too), with two decimals within -1..1.
TEST_F(My_spinedit, LeavingTheBoxShowsTheValueWithinTheLimits) {
  struct Case {
    Int32 precision;
    const char16_t* typed;
    const char16_t* shown;
    Double value;
  } cases[] = {
      {0, u"500", u"100", 100},       {0, u"-7", u"1", 1},       {0, u"99999999999", u"100", 100},
      {0, u"-99999999999", u"1", 1},  {0, u"many", u"1", 1},     {0, u" 42", u"42", 42},
      {0, u"", u"1", 1},              {2, u"3.5", u"1.00", 1},   {2, u"-8", u"-1.00", -1},
      {2, u"none", u"-1.00", -1},     {2, u"0.5", u"0.5", 0.5},
  };
  spin->SetMinValue(1);
  spin->SetMaxValue(100);
  spin->SetMinFloat(-1);
  spin->SetMaxFloat(1);
  for (const Case& c : cases) {
    spin->SetPrecision(c.precision);
    spin->SetText(c.typed);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(spin->Widget(), &out);
    EXPECT_EQ(spin->GetText(), c.shown) << StringToUtf8(c.typed);
    EXPECT_EQ(c.precision == 0 ? spin->Value() : spin->GetFloatValue(), c.value) << StringToUtf8(c.typed);
  }
}

TEST_F(My_spinedit, IntegerStepsClampInsteadOfWrapping) {
  struct Case {
    Int32 min, max, increment, start;
    bool up;
    Int32 expected;
  } cases[] = {
      {0, 0, 1, INT32_MAX, true, INT32_MAX},
      {-2100000000, 0, 1000000000, -2000000000, false, -2100000000},
      {0, 0, INT32_MIN, 5, false, INT32_MAX},
  };
  for (const Case& c : cases) {
    spin->SetMinValue(c.min);
    spin->SetMaxValue(c.max);
    spin->SetIncrement(c.increment);
    spin->SetValue(c.start);
    c.up ? Up() : Down();
    EXPECT_EQ(spin->Value(), c.expected) << c.start << (c.up ? " up " : " down ") << c.increment;
  }
}

TEST_F(My_spinedit, AReadOnlyEditBeepsAndKeepsItsValue) {
  spin->SetPrecision(2);
  spin->SetFloatValue(0.5);
  spin->SetReadOnly(true);
  Up();
  Down();
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(spin->GetText(), u"0.50");
  spin->SetPrecision(0);
  spin->SetValue(3);
  Up();
  EXPECT_EQ(beeps, 3);
  EXPECT_EQ(spin->Value(), 3);
}

}  // namespace
}  // namespace sk
