// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppContext;

// The about window "关于软件": the program's name, version and what it is for.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindow(AppContext& context);
};
