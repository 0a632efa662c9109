-- SPDX-License-Identifier: GPL-3.0-or-later
-- The ten tables of datalx.mdb, columns in the order the application's INSERT statements name them
-- (and, at the end, the tables added later).
-- Text columns are TEXT; counted quantities are REAL (a stock of 7.5 must be storable) and must hold
-- a number: the CHECK refuses text such as '2abc' as a typed database would. Quantities, prices and
-- times that are only ever shown are TEXT and keep what was typed.

CREATE TABLE 总数据库模块 (
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    产品库存 REAL CHECK (typeof(产品库存) IN ('integer', 'real', 'null')),
    产品单位 TEXT,
    备注 TEXT
);

CREATE TABLE 入库管理模块 (
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    入库数量 TEXT,
    产品单位 TEXT,
    入库时间 TEXT,
    入库人员 TEXT,
    备注 TEXT
);

CREATE TABLE 出库管理模块 (
    出库单号 TEXT,
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    出库数量 TEXT,
    产品单位 TEXT,
    出库原因 TEXT,
    出库时间 TEXT,
    操作人员 TEXT,
    备注 TEXT
);

CREATE TABLE 销售管理模块 (
    销售单号 TEXT,
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    销售数量 REAL CHECK (typeof(销售数量) IN ('integer', 'real', 'null')),
    产品单位 TEXT,
    销售单价 TEXT,
    销售时间 TEXT,
    销售人员 TEXT,
    退货记录 REAL DEFAULT 0 CHECK (typeof(退货记录) IN ('integer', 'real', 'null')),
    备注 TEXT
);

CREATE TABLE 退货管理模块 (
    退货单号 TEXT,
    销售单号 TEXT,
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    退货数量 TEXT,
    产品单位 TEXT,
    退货原因 TEXT,
    是否影响二次销售 TEXT,
    退货时间 TEXT,
    操作人员 TEXT,
    备注 TEXT
);

CREATE TABLE 借用管理模块 (
    借用单号 TEXT,
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    借用数量 REAL CHECK (typeof(借用数量) IN ('integer', 'real', 'null')),
    产品单位 TEXT,
    借用人员单位 TEXT,
    借用时间 TEXT,
    审批人员 TEXT,
    备注 TEXT,
    归还记录 REAL DEFAULT 0 CHECK (typeof(归还记录) IN ('integer', 'real', 'null'))
);

CREATE TABLE 归还管理模块 (
    归还单号 TEXT,
    借用单号 TEXT,
    入库单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    归还数量 TEXT,
    产品单位 TEXT,
    归还人员 TEXT,
    是否影响二次销售 TEXT,
    归还时间 TEXT,
    接收人员 TEXT,
    备注 TEXT
);

CREATE TABLE 问题处理模块 (
    问题单号 TEXT,
    入库单号 TEXT,
    销售单号 TEXT,
    退货单号 TEXT,
    借用单号 TEXT,
    归还单号 TEXT,
    产品ID TEXT,
    产品名称 TEXT,
    问题数量 TEXT,
    产品单位 TEXT,
    问题原因 TEXT,
    发现时间 TEXT,
    录入人员 TEXT,
    备注 TEXT
);

CREATE TABLE 用户登录模块 (
    用户名 TEXT COLLATE NOCASE,
    密码 TEXT
);

CREATE TABLE 系统信息管理模块 (
    默认单位 TEXT
);

-- Every document number names one document, and an account name one account.
CREATE UNIQUE INDEX 总数据库模块_入库单号 ON 总数据库模块 (入库单号);
CREATE UNIQUE INDEX 入库管理模块_入库单号 ON 入库管理模块 (入库单号);
CREATE UNIQUE INDEX 出库管理模块_出库单号 ON 出库管理模块 (出库单号);
CREATE UNIQUE INDEX 销售管理模块_销售单号 ON 销售管理模块 (销售单号);
CREATE UNIQUE INDEX 退货管理模块_退货单号 ON 退货管理模块 (退货单号);
CREATE UNIQUE INDEX 借用管理模块_借用单号 ON 借用管理模块 (借用单号);
CREATE UNIQUE INDEX 归还管理模块_归还单号 ON 归还管理模块 (归还单号);
CREATE UNIQUE INDEX 问题处理模块_问题单号 ON 问题处理模块 (问题单号);
CREATE UNIQUE INDEX 用户登录模块_用户名 ON 用户登录模块 (用户名);

-- Added later: the tables and indexes that came after the first ten. The program adds what a
-- database lacks of this part when it opens it (nothing else of the database changes), so every
-- statement below may run again and keeps what exists.

-- The minimum stock of a product (产品ID), below which the stock alert names it; 0 means no
-- alert. These are settings: clearing the database keeps them.
CREATE TABLE IF NOT EXISTS 库存预警 (
    产品ID TEXT,
    最低库存 REAL CHECK (typeof(最低库存) IN ('integer', 'real'))
);
CREATE UNIQUE INDEX IF NOT EXISTS 库存预警_产品ID ON 库存预警 (产品ID);
-- The stock of a product summed over its lots, from this index alone, at every refresh of the
-- stock list.
CREATE INDEX IF NOT EXISTS 总数据库模块_产品ID ON 总数据库模块 (产品ID, 产品库存);
-- The sales statistics read the date, price and quantity of every sale from this index alone.
CREATE INDEX IF NOT EXISTS 销售管理模块_销售时间 ON 销售管理模块 (销售时间, 销售单价, 销售数量);
-- A lot's documents are found by its 入库单号 (the lot history), without reading whole tables.
CREATE INDEX IF NOT EXISTS 出库管理模块_入库单号 ON 出库管理模块 (入库单号);
CREATE INDEX IF NOT EXISTS 销售管理模块_入库单号 ON 销售管理模块 (入库单号);
CREATE INDEX IF NOT EXISTS 退货管理模块_入库单号 ON 退货管理模块 (入库单号);
CREATE INDEX IF NOT EXISTS 借用管理模块_入库单号 ON 借用管理模块 (入库单号);
CREATE INDEX IF NOT EXISTS 归还管理模块_入库单号 ON 归还管理模块 (入库单号);
CREATE INDEX IF NOT EXISTS 问题处理模块_入库单号 ON 问题处理模块 (入库单号);
