// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "returns/returnswindow.h"

// "归还管理": takes back lent goods into stock or books them as problem goods.
class LoanReturnsWindow : public ReturnsWindow
{
    Q_OBJECT
public:
    explicit LoanReturnsWindow(AppContext& context);
};
