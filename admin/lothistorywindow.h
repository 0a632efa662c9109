// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

class AppContext;
class QLabel;
class QLineEdit;
class ReportList;

// "批次履历 - " and the lot number: every document of one stock lot in date order with its effect
// on the lot's stock and the stock after it, and the audit of the ledger against the lot's stock
// in the status line. Owned by the main window; it only reads.
class LotHistoryWindow : public QWidget
{
    Q_OBJECT
public:
    LotHistoryWindow(AppContext& context, const QString& lot);

    const QString& lot() const { return mLot; }
    ReportList* list() const { return mList; }
    // Reads the lot's documents and stock again.
    void reload();
    // The menu "打印": hands the history list to the print settings.
    void printHistory();

private:
    AppContext& mContext;
    QString mLot;
    QLineEdit* mProductId = nullptr;
    QLineEdit* mProductName = nullptr;
    QLineEdit* mUnit = nullptr;
    ReportList* mList = nullptr;
    QLabel* mStatus = nullptr;
};
