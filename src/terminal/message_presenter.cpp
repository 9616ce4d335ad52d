#include "message_presenter.h"

#include <QApplication>
#include <QMessageBox>

int TQtMessagePresenter::Present(const QString &aCaption, const QString &aText, TMessageType aType)
{
  QMessageBox lBox(QApplication::activeWindow());
  lBox.setWindowTitle(aCaption);
  lBox.setText(aText);
  switch (aType) {
  case mtAlert:
    lBox.setIcon(QMessageBox::Critical);
    lBox.setStandardButtons(QMessageBox::Ok);
    break;
  case mtInfo:
    lBox.setIcon(QMessageBox::Information);
    lBox.setStandardButtons(QMessageBox::Ok);
    break;
  case mtConfirm:
    lBox.setIcon(QMessageBox::Question);
    lBox.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    lBox.setDefaultButton(QMessageBox::No);
    break;
  case mtYesNoCancel:
    lBox.setIcon(QMessageBox::Question);
    lBox.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    break;
  }
  switch (lBox.exec()) {
  case QMessageBox::Ok:
    return mrOk;
  case QMessageBox::Yes:
    return mrYes;
  case QMessageBox::No:
    return mrNo;
  case QMessageBox::Cancel:
    return mrCancel;
  default:
    return mrNone;
  }
}
