// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "returns/returnaction.h"
#include "ui/reportlist.h"

#include <QList>
#include <QString>
#include <QWidget>

class AppContext;
class QLineEdit;
class QRadioButton;

// How one of the two returns windows looks and answers the keyboard; everything else they share.
struct ReturnsWindowLayout {
    const ReturnKind* kind = nullptr;
    QString title;
    QString listName;
    QList<ReportColumn> columns; // after the running number column
    QString findButtonName;
    QString quantityBoxName;
    QString quantityCaption;
    QString detailBoxName; // the reason box or the returner box
    QString detailCaption;
    QString actionButtonName;
    QString actionButtonCaption;
    bool detailEnterSelectsAffects = false; // Enter in the detail box also selects "影响再次销售"
    bool remarkEnterReturns = false;        // Enter in the remark box returns rather than searches
    bool focusSearchAtOpening = false;
};

// A window that takes back goods: the list of documents (sales or loans) with search and scan,
// the quantity, detail and remark boxes, the choice whether the goods can be sold again, and the
// return action.
class ReturnsWindow : public QWidget
{
    Q_OBJECT
public:
    ReturnsWindow(AppContext& context, const ReturnsWindowLayout& layout);

    const ReturnSelection& selection() const { return mSelection; }
    // The numbers made by the last press of the action button.
    const ReturnOutcome& lastOutcome() const { return mLastOutcome; }

    void search();
    void scan();
    void returnGoods();

private:
    void keepSelection(int row);
    ReturnEntry entry() const;

    AppContext& mContext;
    const ReturnKind& mKind;
    QLineEdit* mDetail = nullptr;
    QRadioButton* mDoesNotAffect = nullptr;
    QRadioButton* mAffects = nullptr;
    QLineEdit* mQuantity = nullptr;
    QLineEdit* mRemark = nullptr;
    QLineEdit* mSearch = nullptr;
    ReportList* mList = nullptr;
    ReturnSelection mSelection;
    ReturnOutcome mLastOutcome;
};
