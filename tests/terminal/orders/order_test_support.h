#pragma once

// Shared helpers of the order-entry tests: the locale's separators, typing into widgets, and
// answering a modal dialog from inside its own run without ever blocking.

#include "event_pump.h"
#include "order_panel.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

// The locale's decimal separator and the other one.
inline QString Sep()
{
  return QLocale().decimalPoint();
}
inline QString OtherSep()
{
  return Sep() == QLatin1String(",") ? QStringLiteral(".") : QStringLiteral(",");
}
// A number text written with "." as the locale writes it.
inline QString Loc(QString aText)
{
  return aText.replace(QLatin1Char('.'), Sep());
}

template <class T> T *Child(QWidget *aParent, const char *aName)
{
  T *lChild = aParent->findChild<T *>(QString::fromLatin1(aName));
  if (!lChild)
    ADD_FAILURE() << "no child " << aName;
  return lChild;
}

// Replaces a field's text by typing it, as the trader would.
inline void TypeInto(QLineEdit *aEdit, const QString &aText)
{
  aEdit->setFocus();
  aEdit->selectAll();
  QTest::keyClick(aEdit, Qt::Key_Backspace);
  QTest::keyClicks(aEdit, aText);
}

// Runs aStart (which opens a modal dialog of type T and returns when it closes) and calls
// aInside with the dialog while it runs. A dialog still open when aInside returns is
// cancelled, and a watchdog closes it after aTimeoutMs, so that a test never hangs.
template <class T, class R>
R RunWithDialog(const std::function<R()> &aStart, const std::function<void(T *)> &aInside,
                int aTimeoutMs = 30000)
{
  bool lSeen = false;
  QTimer lPoll;
  lPoll.setInterval(10);
  QObject::connect(&lPoll, &QTimer::timeout, [&] {
    auto *lDialog = qobject_cast<T *>(QApplication::activeModalWidget());
    if (!lDialog || lSeen)
      return;
    lSeen = true;
    lPoll.stop();
    aInside(lDialog);
    if (QApplication::activeModalWidget() == lDialog && lDialog->isVisible())
      lDialog->done(QDialog::Rejected);
  });
  QTimer lWatchdog;
  lWatchdog.setSingleShot(true);
  QObject::connect(&lWatchdog, &QTimer::timeout, [] {
    if (auto *lDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
      lDialog->done(QDialog::Rejected);
  });
  lPoll.start();
  lWatchdog.start(aTimeoutMs);
  R lResult = aStart();
  EXPECT_TRUE(lSeen) << "the dialog never showed";
  return lResult;
}

// Types price and amount into a panel's limit page and presses its button.
inline void PlaceLimit(TOrderPanel &aPanel, const QString &aPrice, const QString &aAmount)
{
  const QString lTag = aPanel.Side() == TOrderSide::Buy ? "Buy" : "Sell";
  aPanel.Pages()->setCurrentIndex(0);
  TypeInto(aPanel.findChild<QLineEdit *>("ed" + lTag + "LimitPrice"), aPrice);
  TypeInto(aPanel.findChild<QLineEdit *>("ed" + lTag + "LimitAmount"), aAmount);
  QTest::mouseClick(aPanel.findChild<QPushButton *>("btn" + lTag + "Limit"), Qt::LeftButton);
}
