// The indicator dialog: what it shows for each kind, what it writes back, the number key filter
// and a field that is not a number.

#include "dlg_indicator.h"
#include "indicators.h"
#include "test_presenter.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class IndicatorDialog : public ::testing::Test
{
protected:
  template <class T> T *Child(const char *aName) const
  {
    T *lChild = fForm.findChild<T *>(QLatin1String(aName));
    EXPECT_TRUE(lChild) << aName;
    return lChild;
  }
  QLineEdit *Edit(const char *aName) const { return Child<QLineEdit>(aName); }
  QComboBox *Combo(const char *aName) const { return Child<QComboBox>(aName); }
  bool Shown(const char *aPanel) const { return Child<QWidget>(aPanel)->isVisibleTo(&fForm); }
  QColor ColorOf(const char *aBox) const { return Combo(aBox)->currentData().value<QColor>(); }

  TfmIndicator fForm;
};

} // namespace

TEST_F(IndicatorDialog, NewMaShowsItsDefaultsOnItsPanelOnly)
{
  TMaIndicatorInfo lInfo;
  fForm.SetIndicator(lInfo);
  EXPECT_EQ(fForm.windowTitle(), QStringLiteral("Настройки индикатора"));
  EXPECT_TRUE(Shown("panelMA"));
  EXPECT_FALSE(Shown("panelBollinger") || Shown("panelZZ") || Shown("panelFractal"));
  EXPECT_EQ(Edit("edPeriod")->text(), "14");
  EXPECT_EQ(Edit("edShift")->text(), "0");
  EXPECT_EQ(Combo("cbMethod")->currentText(), "Simple");
  EXPECT_EQ(Combo("cbPrice")->currentText(), "Close");
  EXPECT_EQ(ColorOf("cbColor"), QColor(Qt::red));
  EXPECT_EQ(Combo("cbStyle")->currentIndex(), 0);
  EXPECT_EQ(Combo("cbWidth")->currentText(), "1");

  TFractalIndicatorInfo lFractal;
  fForm.SetIndicator(lFractal);
  EXPECT_TRUE(Shown("panelFractal"));
  EXPECT_FALSE(Shown("panelMA") || Shown("panelBollinger") || Shown("panelZZ"));
}

TEST_F(IndicatorDialog, WritesEveryControlOfTheShownPanelBack)
{
  TMaIndicatorInfo lMa;
  fForm.SetIndicator(lMa);
  Edit("edPeriod")->setText("0"); // accepted here; the fill reports it
  Edit("edShift")->setText("3");
  Combo("cbMethod")->setCurrentText("Linear weighted");
  Combo("cbPrice")->setCurrentText("Open");
  Combo("cbColor")->setCurrentText("Navy");
  Combo("cbStyle")->setCurrentIndex(4);
  Combo("cbWidth")->setCurrentText("5");
  EXPECT_EQ(fForm.GetIndicator(), &lMa);
  EXPECT_EQ(lMa.Period, 0);
  EXPECT_EQ(lMa.Shift, 3);
  EXPECT_EQ(lMa.Method, MODE_LWMA);
  EXPECT_EQ(lMa.Price, PRICE_OPEN);
  EXPECT_EQ(lMa.LineColor, 0x00800000u); // $00BBGGRR
  EXPECT_EQ(lMa.LineStyle, STYLE_DASHDOTDOT);
  EXPECT_EQ(lMa.LineWidth, 5);

  // A colour outside the standard ones is shown and kept.
  TBollingerIndicatorInfo lBands;
  lBands.LineColor = 0x00123456;
  lBands.LineWidth = 3;
  fForm.SetIndicator(lBands);
  EXPECT_EQ(Combo("cbBWidth")->currentText(), "3");
  Edit("edBDev")->setText("4");
  Combo("cbBPrice")->setCurrentText("Close");
  EXPECT_EQ(fForm.GetIndicator(), &lBands);
  EXPECT_EQ(lBands.Dev, 4);
  EXPECT_EQ(lBands.Price, PRICE_CLOSE);
  EXPECT_EQ(lBands.LineColor, 0x00123456u);
  EXPECT_EQ(lBands.LineWidth, 3);

  TZigZagIndicatorInfo lZigZag;
  fForm.SetIndicator(lZigZag);
  Edit("edZZBackstep")->setText("7");
  fForm.GetIndicator();
  EXPECT_EQ(lZigZag.Backstep, 7);
  EXPECT_EQ(lZigZag.Depth, 12);
}

TEST_F(IndicatorDialog, NumberFieldsTakeDigitsAndBackspaceOnly)
{
  TZigZagIndicatorInfo lInfo;
  fForm.SetIndicator(lInfo);
  for (const char *lName : {"edZZDepth", "edZZBackstep"}) {
    QLineEdit *lEdit = Edit(lName);
    lEdit->clear();
    QTest::keyClicks(lEdit, "-1a2.,3 +4");
    EXPECT_EQ(lEdit->text(), "1234") << lName;
    QTest::keyClick(lEdit, Qt::Key_Backspace);
    EXPECT_EQ(lEdit->text(), "123") << lName;
  }
}

TEST_F(IndicatorDialog, AFieldThatIsNoIntegerLeavesTheIndicatorWholeAndSaysWhich)
{
  TPresenterGuard lPresenter;
  TBollingerIndicatorInfo lInfo;
  fForm.SetIndicator(lInfo);
  Edit("edBPeriod")->setText("30");
  Combo("cbBPrice")->setCurrentText("High");
  for (const char *lText : {"", "2x", "99999999999"}) {
    Edit("edBDev")->setText(lText); // pasted text is not filtered
    EXPECT_EQ(fForm.GetIndicator(), nullptr) << lText;
  }
  EXPECT_EQ(lInfo.Period, 20);
  EXPECT_EQ(lInfo.Price, PRICE_CLOSE);
  const auto lShown = lPresenter.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 3u);
  for (const auto &lMessage : lShown)
    EXPECT_TRUE(lMessage.Text.contains("Отклонения")) << lMessage.Text.toStdString();
}

TEST(IndicatorDialogRun, OkReturnsTheEditsCancelLeavesTheInfoAsItWas)
{
  TPresenterGuard lPresenter;
  const auto lAnswer = [](const char *aPeriod, const char *aButton) {
    QTimer::singleShot(0, [aPeriod, aButton] {
      auto *lForm = qobject_cast<TfmIndicator *>(QApplication::activeModalWidget());
      ASSERT_TRUE(lForm);
      lForm->findChild<QLineEdit *>("edPeriod")->setText(aPeriod);
      lForm->findChild<QPushButton *>(aButton)->click();
      // A refused "ОК" keeps the dialog open; cancel it so that nothing blocks.
      if (lForm->isVisible())
        lForm->reject();
    });
  };
  TMaIndicatorInfo lInfo;
  lAnswer("40", "btnCancel");
  EXPECT_FALSE(ExecuteDlgIndicator(lInfo));
  EXPECT_EQ(lInfo.Period, 14);
  lAnswer("", "btnOk");
  EXPECT_FALSE(ExecuteDlgIndicator(lInfo));
  EXPECT_EQ(lPresenter.Presenter().Shown().size(), 1u);
  lAnswer("40", "btnOk");
  EXPECT_TRUE(ExecuteDlgIndicator(lInfo));
  EXPECT_EQ(lInfo.Period, 40);
}
