// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProxyStyle>
#include <QUrl>

// An icon drawn from its SVG at build time: icons/NAME.png, with icons/NAME@2x.png on screens of
// double density.
QIcon builtInIcon(const QString& name);

// The application's style: the desktop's own, except that the menu bar's overflow arrows are
// read as PNG by name. Left to the style, reading them guesses their format, which loads every
// image plugin of the system (the SVG one with its module) at every start, for arrows that the
// main window's short menu bar never shows.
class ApplicationStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// A line of text that opens an address when clicked, drawn as a link: plain text, underlined, in
// the link colour. A rich-text label would lay out a text document at every start for it.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString& text, const QUrl& address, QWidget* parent = nullptr);
    const QUrl& address() const { return mAddress; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QUrl mAddress;
};

// The strip of command icons along the top of the main window: large icons in one row, left to
// right, fixed in place. It reports each single click of the left mouse button once the click
// has updated the selection; a click beside the items leaves nothing selected.
class IconStrip : public QListWidget
{
    Q_OBJECT
public:
    explicit IconStrip(QWidget* parent = nullptr);

    // The zero-based position of the selected item, -1 when none.
    int selectedPosition() const;

signals:
    void leftClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Set by the second press of a double click, so that its release starts nothing.
    bool mInDoubleClick = false;
};
