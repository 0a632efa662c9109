-- SPDX-License-Identifier: GPL-3.0-or-later
-- The ten tables of datalx.mdb on a PostgreSQL server, columns in the same order as in the file.
-- Text columns are text; counted quantities are double precision (a stock of 7.5 must be
-- storable), which refuses text such as '2abc'. Quantities, prices and times that are only ever
-- shown are text and keep what was typed. Every statement may run again: what exists is kept.
-- Each table ends in a column 行序 that no statement of the application names and no result
-- shows: the order its rows were written in, which the file keeps by itself and in which the
-- program lists them.

-- Account names compare without regard to case, as in the file: "Admin" logs in as admin, and a
-- second "ADMIN" is refused.
CREATE COLLATION IF NOT EXISTS 账户名
    (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

CREATE TABLE IF NOT EXISTS 总数据库模块 (
    入库单号 text,
    产品ID text,
    产品名称 text,
    产品库存 double precision,
    产品单位 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 入库管理模块 (
    入库单号 text,
    产品ID text,
    产品名称 text,
    入库数量 text,
    产品单位 text,
    入库时间 text,
    入库人员 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 出库管理模块 (
    出库单号 text,
    入库单号 text,
    产品ID text,
    产品名称 text,
    出库数量 text,
    产品单位 text,
    出库原因 text,
    出库时间 text,
    操作人员 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 销售管理模块 (
    销售单号 text,
    入库单号 text,
    产品ID text,
    产品名称 text,
    销售数量 double precision,
    产品单位 text,
    销售单价 text,
    销售时间 text,
    销售人员 text,
    退货记录 double precision DEFAULT 0,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 退货管理模块 (
    退货单号 text,
    销售单号 text,
    入库单号 text,
    产品ID text,
    产品名称 text,
    退货数量 text,
    产品单位 text,
    退货原因 text,
    是否影响二次销售 text,
    退货时间 text,
    操作人员 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 借用管理模块 (
    借用单号 text,
    入库单号 text,
    产品ID text,
    产品名称 text,
    借用数量 double precision,
    产品单位 text,
    借用人员单位 text,
    借用时间 text,
    审批人员 text,
    备注 text,
    归还记录 double precision DEFAULT 0,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 归还管理模块 (
    归还单号 text,
    借用单号 text,
    入库单号 text,
    产品ID text,
    产品名称 text,
    归还数量 text,
    产品单位 text,
    归还人员 text,
    是否影响二次销售 text,
    归还时间 text,
    接收人员 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 问题处理模块 (
    问题单号 text,
    入库单号 text,
    销售单号 text,
    退货单号 text,
    借用单号 text,
    归还单号 text,
    产品ID text,
    产品名称 text,
    问题数量 text,
    产品单位 text,
    问题原因 text,
    发现时间 text,
    录入人员 text,
    备注 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 用户登录模块 (
    用户名 text COLLATE 账户名,
    密码 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE IF NOT EXISTS 系统信息管理模块 (
    默认单位 text,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

-- Every document number names one document, and an account name one account.
CREATE UNIQUE INDEX IF NOT EXISTS 总数据库模块_入库单号 ON 总数据库模块 (入库单号);
CREATE UNIQUE INDEX IF NOT EXISTS 入库管理模块_入库单号 ON 入库管理模块 (入库单号);
CREATE UNIQUE INDEX IF NOT EXISTS 出库管理模块_出库单号 ON 出库管理模块 (出库单号);
CREATE UNIQUE INDEX IF NOT EXISTS 销售管理模块_销售单号 ON 销售管理模块 (销售单号);
CREATE UNIQUE INDEX IF NOT EXISTS 退货管理模块_退货单号 ON 退货管理模块 (退货单号);
CREATE UNIQUE INDEX IF NOT EXISTS 借用管理模块_借用单号 ON 借用管理模块 (借用单号);
CREATE UNIQUE INDEX IF NOT EXISTS 归还管理模块_归还单号 ON 归还管理模块 (归还单号);
CREATE UNIQUE INDEX IF NOT EXISTS 问题处理模块_问题单号 ON 问题处理模块 (问题单号);
CREATE UNIQUE INDEX IF NOT EXISTS 用户登录模块_用户名 ON 用户登录模块 (用户名);

-- Added later: the tables and indexes that came after the first ten. The program adds what a
-- database lacks of this part when it opens it (nothing else of the database changes), so every
-- statement below may run again and keeps what exists.

-- The minimum stock of a product (产品ID), below which the stock alert names it; 0 means no
-- alert. These are settings: clearing the database keeps them.
CREATE TABLE IF NOT EXISTS 库存预警 (
    产品ID text,
    最低库存 double precision,
    行序 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
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
