#pragma once

#include "virtual_list_model.h"

#include <QTableView>

// The show list as one column of names, coloured like the market watch's first column.
class TNavigatorModel : public TVirtualListModel
{
  Q_OBJECT
public:
  using TVirtualListModel::TVirtualListModel;

  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
};

// The navigator grid "vstNavigate".
class TNavigatorView : public QTableView
{
  Q_OBJECT
public:
  explicit TNavigatorView(QWidget *aParent = nullptr);

  void RefreshNavigator();
  void Clear();

  TNavigatorModel *Model() const { return fModel; }

private:
  TNavigatorModel *fModel = nullptr;
};
