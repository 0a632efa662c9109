// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "returns/returnswindow.h"

// "退货管理": takes back sold goods into stock or books them as problem goods.
class SalesReturnsWindow : public ReturnsWindow
{
    Q_OBJECT
public:
    explicit SalesReturnsWindow(AppContext& context);
};
