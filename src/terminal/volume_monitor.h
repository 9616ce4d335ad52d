#pragma once

#include "virtual_list_model.h"

#include <QTableView>

struct TVolume;

// The volume list as rows, newest first.
class TVolumeMonitorModel : public TVirtualListModel
{
  Q_OBJECT
public:
  enum Column {
    colSymbol,
    colPing,
    colSumVolume,
    colSumVolumePerc,
    colVolumeChange,
    colVolumePerc,
    colDate,
    ColumnCount
  };

  using TVirtualListModel::TVirtualListModel;

  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
  QVariant headerData(int aSection, Qt::Orientation aOrientation,
                      int aRole = Qt::DisplayRole) const override;

  // The volume row aRow, or none.
  static const TVolume *Volume(int aRow);
  static QString CellText(const TVolume &aVolume, int aColumn);
};

// The volume monitor grid "vstVolumeMonitor".
class TVolumeMonitorView : public QTableView
{
  Q_OBJECT
public:
  explicit TVolumeMonitorView(QWidget *aParent = nullptr);

  void RefreshVolumeList();
  void Clear();

  TVolumeMonitorModel *Model() const { return fModel; }

Q_SIGNALS:
  void VolumeRowSelected(const QString &aSymbol);

private:
  void vstVolumeMonitorChange();

  TVolumeMonitorModel *fModel = nullptr;
};
