// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "importing/importmapping.h"

#include <QAbstractTableModel>

// The preview list: one line per data row with its row number in the file, the values it will be
// stored with and its problems; rows with a problem are drawn red.
class PreviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit PreviewModel(QObject* parent = nullptr);

    void setPreview(ImportPreview preview);
    const ImportPreview& preview() const { return mPreview; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ImportPreview mPreview;
};
