// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AppContext;
class Database;
class QWidget;
class ReportList;

// What tells a return of sold goods from a return of lent goods: the document it returns, the
// tables and statements it writes, and the messages that differ. One return engine and one
// window serve both through this description.
struct ReturnKind {
    QString returnPrefix;   // "th" or "gh"
    QString sourceTable;    // the table of the documents being returned
    QStringList listFields; // the fields the list shows after its running number

    QString sourceSelect;         // one document by its number
    QString sourceQuantityColumn; // quantity sold or lent
    QString returnedColumn;       // quantity returned so far
    QString returnedUpdate;       // sets the quantity returned so far of one document
    // The quantity returned so far before it is read; a sale refuses a value that stays -1.
    double unreadReturned = 0;
    bool refuseUnreadReturned = false;

    QString problemInsert;
    QString problemReason;
    QString documentInsert;

    QString noSelectionMessage;
    QString badQuantityMessage;
    QString tooManyMessage;

    static const ReturnKind& sales();
    static const ReturnKind& loans();

    QString listStatement() const;
    QString nameSearchStatement() const;
    QString idSearchStatement() const;
};

// The five texts a returns window keeps from the row last selected: the document number being
// returned (sale or loan), the stock-in number of its lot, the product ID, name and unit.
struct ReturnSelection {
    QString document;
    QString lot;
    QString productId;
    QString productName;
    QString unit;
};

// The choice of the two radio buttons: whether the goods can be sold again.
enum class ReturnChoice { AffectsResale, DoesNotAffect };
QString choiceText(ReturnChoice choice);

// What the operator entered for one return.
struct ReturnEntry {
    std::optional<ReturnChoice> choice; // none when neither radio button is selected
    bool hasCurrentRow = false;
    ReturnSelection selection;
    QString quantityText;
    QString detailText; // the return reason (sold goods) or the person returning (lent goods)
    QString remark;
};

struct ReturnOutcome {
    bool committed = false;
    QString returnNumber;
    QString problemNumber;
};

// The return action: makes the return and problem numbers, checks the entry in order, then in
// one transaction puts the goods back into stock (or books them as problem goods), raises the
// document's quantity returned so far and writes the return document. Every outcome is shown
// to the operator in a box titled "提示" owned by owner, once the transaction has ended, so that
// no box keeps other writers waiting for the write lock. After the commit, refill runs before
// the main window is refreshed and "操作成功" is shown.
ReturnOutcome performReturn(AppContext& context, QWidget* owner, const ReturnKind& kind,
                            const ReturnEntry& entry, const std::function<void()>& refill);

// The returns list: all documents, a search by name then by product ID, or a scan by product ID.
// Texts are bound as "%" + text + "%".
void fillReturnsList(Database& db, ReportList* list, const ReturnKind& kind);
void searchReturnsList(Database& db, ReportList* list, const ReturnKind& kind, const QString& text);
void scanReturnsList(Database& db, ReportList* list, const ReturnKind& kind, const QString& code);
