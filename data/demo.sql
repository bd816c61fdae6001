-- Demo installation: a small template library and one worked project.
-- Runs after schema.sql and library.sql on an empty database. Texts never contain a single
-- quote, because the component puts text values into statements unescaped.
--
-- Codes used below:
--   procurement modes (promode_id): 1 公开招标, 2 邀请招标, 3 竞争性谈判,
--     4 竞争性磋商, 5 询价, 6 单一来源
--   judge_way: 1 综合评分, 2 最低价, 3 性价比
--   tree TYPE_ID: 1 library root, 2 document, 3 notice, 4 contract/requirements,
--     5 bid forms, 6 instructions, 7 evaluation, 8 node with its own PDF,
--     9 project root or template catalogue entry, 10 to 12 library categories
--     (goods, works, services)
--   tree RESOURCE_TYPE_ID: 0 folder, 10 document, 11 text, 12 form, 13 PDF
--   ITEM_FLAG: P price, T technical, B business, S service
--   GRADE_MODE_ID: 1 scored by the panel, 2 scored by rule
--   REG_SUM_TYPE: 1 total price, 2 unit price

-- Look-ups ----------------------------------------------------------------

-- The project types and the evaluation methods come from library.sql.

INSERT INTO T_GUID (GUID) VALUES
(1000),
(1001),
(1002);

-- Resource library: tree ----------------------------------------------------

-- The library root and its category nodes come from library.sql, which every
-- installation gets. Each template has a catalogue entry (type 9) under the
-- category of its project type, and its document node (type 2, layer 2)
-- under the root, where new templates are saved. The entries reach their
-- category by number alone, which is the same in every installation.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(91, 3, 2, '货物类公开招标文件范本', 'V', 9, 0, 21, NULL, 1, 1),
(92, 3, 3, '工程类公开招标文件范本', 'V', 9, 0, 22, NULL, 1, 2),
(93, 3, 4, '服务类竞争性磋商文件范本', 'V', 9, 0, 23, NULL, 2, 3),
(94, 3, 2, '货物类询价采购文件范本', 'V', 9, 0, 24, NULL, 3, 1),
(95, 3, 3, '工程类竞争性谈判文件范本', 'V', 9, 0, 25, NULL, 2, 2),
(96, 3, 4, '服务类公开招标文件范本', 'V', 9, 0, 26, NULL, 1, 3),
(97, 3, 2, '货物类竞争性谈判文件范本', 'V', 9, 0, 27, NULL, 2, 1);

-- Template 21: 货物类公开招标 (chapters four and five are numbered against
-- their order, and one section plus one small branch are invalidated).
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(101, 2, 1, '货物类公开招标文件范本', 'V', 2, 10, 21, 'BM_DOC', 1, 1),
(102, 3, 101, '第一章 招标公告', 'V', 3, 11, 21, 'BM_NOTICE', 1, 1),
(103, 3, 101, '第二章 投标人须知', 'V', 6, 11, 21, 'BM_INSTRUCTIONS', 2, 1),
(104, 3, 101, '第三章 评标办法', 'V', 7, 11, 21, 'BM_EVALUATION', 3, 1),
(105, 3, 101, '第五章 采购需求', 'V', 4, 11, 21, 'BM_REQUIREMENTS', 5, 1),
(106, 3, 101, '第四章 合同条款', 'V', 4, 11, 21, 'BM_CONTRACT', 4, 1),
(107, 3, 101, '第六章 投标文件格式', 'V', 5, 12, 21, 'BM_BID_FORMS', 6, 1),
(108, 4, 102, '一、项目基本情况', 'V', 3, 11, 21, 'BM_NOTICE_BASIC', 1, 1),
(109, 4, 102, '二、申请人的资格要求', 'V', 3, 11, 21, 'BM_NOTICE_QUAL', 2, 1),
(110, 4, 102, '三、获取招标文件', 'V', 3, 11, 21, NULL, 3, 1),
(111, 4, 102, '四、提交投标文件截止时间、开标时间和地点', 'V', 3, 11, 21, 'BM_NOTICE_DEADLINE', 4, 1),
(112, 4, 102, '五、对本次招标提出询问的联系方式', 'V', 3, 11, 21, 'BM_NOTICE_CONTACT', 5, 1),
(113, 4, 103, '投标人须知前附表', 'V', 6, 12, 21, 'BM_INSTR_TABLE', 1, 1),
(114, 4, 103, '一、总则', 'V', 6, 11, 21, 'BM_INSTR_GENERAL', 2, 1),
(115, 4, 103, '二、招标文件', 'V', 6, 11, 21, 'BM_INSTR_DOCS', 3, 1),
(116, 4, 103, '三、投标文件', 'V', 6, 11, 21, 'BM_INSTR_BID', 4, 1),
(117, 4, 103, '四、投标保证金（旧版条款）', 'I', 6, 11, 21, 'BM_INSTR_BAIL_OLD', 5, 1),
(118, 5, 114, '1.1 适用范围', 'V', 6, 11, 21, 'BM_INSTR_SCOPE', 1, 1),
(119, 5, 114, '1.2 定义', 'V', 6, 11, 21, 'BM_INSTR_DEFS', 2, 1),
(120, 5, 114, '1.3 合格投标人', 'V', 6, 11, 21, 'BM_INSTR_ELIGIBLE', 3, 1),
(121, 4, 104, '评标办法前附表', 'V', 7, 12, 21, 'BM_EVAL_TABLE', 2, 1),
(122, 4, 104, '一、评标原则和程序', 'V', 7, 11, 21, 'BM_EVAL_PROC', 1, 1),
(123, 4, 104, '二、评分标准', 'V', 7, 11, 21, 'BM_EVAL_SCORING', 3, 1),
(124, 5, 123, '价格分评审', 'V', 7, 11, 21, 'BM_EVAL_PRICE', 1, 1),
(125, 5, 123, '技术及商务评审', 'V', 7, 11, 21, NULL, 2, 1),
(126, 4, 106, '一、合同通用条款', 'V', 4, 11, 21, 'BM_CONTRACT_GENERAL', 1, 1),
(127, 4, 106, '二、合同专用条款', 'V', 4, 11, 21, 'BM_CONTRACT_SPECIAL', 2, 1),
(128, 4, 105, '一、技术要求', 'V', 4, 11, 21, 'BM_REQ_TECH', 1, 1),
(129, 4, 105, '二、商务要求', 'V', 4, 11, 21, 'BM_REQ_COMMERCIAL', 2, 1),
(130, 4, 105, '三、设备示意图', 'V', 8, 13, 21, 'BM_REQ_DRAWING', 3, 1),
(131, 5, 128, '主要技术参数', 'V', 4, 11, 21, 'BM_REQ_PARAMS', 1, 1),
(132, 5, 128, '配置清单', 'V', 4, 12, 21, 'BM_REQ_CONFIG', 2, 1),
(133, 4, 107, '一、投标函', 'V', 5, 12, 21, 'BM_FORM_LETTER', 1, 1),
(134, 4, 107, '二、开标一览表', 'V', 5, 12, 21, 'BM_FORM_PRICE', 2, 1),
(135, 4, 107, '三、法定代表人授权书', 'V', 5, 12, 21, NULL, 3, 1),
(136, 4, 107, '五、资格证明文件', 'V', 5, 12, 21, 'BM_FORM_QUAL', 5, 1),
(137, 4, 107, '四、联合体协议书', 'I', 5, 12, 21, 'BM_FORM_CONSORTIUM', 4, 1),
(138, 5, 137, '联合体各方职责分工', 'I', 5, 12, 21, 'BM_FORM_CONSORTIUM_DUTY', 1, 1);

-- Template 22: 工程类公开招标 (two bundles).
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(201, 2, 1, '工程类公开招标文件范本', 'V', 2, 10, 22, 'BM_DOC', 3, 2),
(202, 3, 201, '第一章 招标公告', 'V', 3, 11, 22, 'BM_NOTICE', 1, 2),
(203, 3, 201, '第二章 投标人须知', 'V', 6, 11, 22, 'BM_INSTRUCTIONS', 2, 2),
(204, 3, 201, '第三章 评标办法（综合评估法）', 'V', 7, 11, 22, 'BM_EVALUATION', 3, 2),
(205, 3, 201, '第四章 合同条款及格式', 'V', 4, 11, 22, 'BM_CONTRACT', 4, 2),
(206, 4, 202, '一、招标条件', 'V', 3, 11, 22, 'BM_NOTICE_COND', 1, 2),
(207, 4, 202, '二、项目概况与招标范围', 'V', 3, 11, 22, 'BM_NOTICE_SCOPE', 2, 2),
(208, 4, 202, '三、投标人资格要求', 'V', 3, 11, 22, 'BM_NOTICE_QUAL', 3, 2),
(209, 4, 202, '四、投标文件的递交', 'V', 3, 11, 22, 'BM_NOTICE_SUBMIT', 4, 2),
(210, 4, 203, '投标人须知前附表', 'V', 6, 12, 22, 'BM_INSTR_TABLE', 1, 2),
(211, 4, 203, '一、总则', 'V', 6, 11, 22, 'BM_INSTR_GENERAL', 2, 2),
(212, 4, 203, '二、投标', 'V', 6, 11, 22, 'BM_INSTR_BID', 3, 2),
(213, 4, 203, '三、开标', 'V', 6, 11, 22, 'BM_INSTR_OPENING', 4, 2),
(214, 4, 204, '一、评标方法', 'V', 7, 11, 22, 'BM_EVAL_METHOD', 1, 2),
(215, 4, 204, '二、评审标准', 'V', 7, 11, 22, 'BM_EVAL_STANDARD', 2, 2),
(216, 5, 215, '施工组织设计评审', 'V', 7, 11, 22, 'BM_EVAL_CONSTRUCTION', 2, 2),
(217, 5, 215, '项目管理机构评审', 'V', 7, 11, 22, 'BM_EVAL_TEAM', 1, 2),
(218, 4, 205, '一、通用合同条款', 'V', 4, 11, 22, 'BM_CONTRACT_GENERAL', 1, 2),
(219, 4, 205, '二、专用合同条款', 'V', 4, 11, 22, 'BM_CONTRACT_SPECIAL', 2, 2),
(220, 4, 205, '三、合同附件格式', 'V', 4, 12, 22, NULL, 3, 2),
(221, 3, 201, '第五章 工程量清单', 'V', 4, 12, 22, 'BM_BOQ', 5, 2),
(222, 4, 221, '一、工程量清单说明', 'V', 4, 11, 22, 'BM_BOQ_NOTES', 1, 2),
(223, 4, 221, '二、投标报价说明', 'V', 4, 11, 22, 'BM_BOQ_PRICING', 2, 2),
(224, 3, 201, '第六章 图纸', 'V', 8, 13, 22, 'BM_DRAWINGS', 6, 2),
(225, 3, 201, '第七章 技术标准和要求', 'V', 4, 11, 22, 'BM_TECH_STANDARD', 7, 2),
(226, 3, 201, '第八章 投标文件格式', 'V', 5, 12, 22, 'BM_BID_FORMS', 8, 2),
(227, 4, 226, '一、投标函及投标函附录', 'V', 5, 12, 22, 'BM_FORM_LETTER', 1, 2),
(228, 4, 226, '二、已标价工程量清单', 'V', 5, 12, 22, 'BM_FORM_BOQ', 2, 2),
(229, 4, 226, '三、施工组织设计', 'V', 5, 11, 22, 'BM_FORM_CONSTRUCTION', 3, 2),
(230, 4, 226, '四、项目管理机构', 'V', 5, 12, 22, 'BM_FORM_TEAM', 4, 2),
(231, 4, 226, '五、资格审查资料', 'V', 5, 12, 22, 'BM_FORM_QUAL', 5, 2),
(232, 5, 229, '施工进度计划', 'V', 5, 11, 22, 'BM_FORM_SCHEDULE', 1, 2),
(233, 5, 229, '质量保证措施', 'V', 5, 11, 22, 'BM_FORM_QUALITY', 2, 2);

-- Template 23: 服务类竞争性磋商.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(301, 2, 1, '服务类竞争性磋商文件范本', 'V', 2, 10, 23, 'BM_DOC', 2, 3),
(302, 3, 301, '第一章 竞争性磋商公告', 'V', 3, 11, 23, 'BM_NOTICE', 1, 3),
(303, 3, 301, '第二章 供应商须知', 'V', 6, 11, 23, 'BM_INSTRUCTIONS', 2, 3),
(304, 3, 301, '第三章 评审方法和标准', 'V', 7, 11, 23, 'BM_EVALUATION', 3, 3),
(305, 3, 301, '第四章 合同主要条款', 'V', 4, 11, 23, 'BM_CONTRACT', 4, 3),
(306, 3, 301, '第五章 采购需求', 'V', 4, 11, 23, 'BM_REQUIREMENTS', 5, 3),
(307, 4, 302, '一、项目基本情况', 'V', 3, 11, 23, 'BM_NOTICE_BASIC', 1, 3),
(308, 4, 302, '二、供应商资格要求', 'V', 3, 11, 23, 'BM_NOTICE_QUAL', 2, 3),
(309, 4, 302, '三、获取磋商文件', 'V', 3, 11, 23, 'BM_NOTICE_OBTAIN', 3, 3),
(310, 4, 303, '供应商须知前附表', 'V', 6, 12, 23, 'BM_INSTR_TABLE', 1, 3),
(311, 4, 303, '一、说明', 'V', 6, 11, 23, 'BM_INSTR_GENERAL', 2, 3),
(312, 4, 303, '二、磋商文件', 'V', 6, 11, 23, NULL, 3, 3),
(313, 4, 303, '三、响应文件的编制', 'V', 6, 11, 23, 'BM_INSTR_RESPONSE', 4, 3),
(314, 4, 304, '一、评审程序', 'V', 7, 11, 23, 'BM_EVAL_PROC', 1, 3),
(315, 4, 304, '二、综合评分标准', 'V', 7, 12, 23, 'BM_EVAL_SCORING', 2, 3),
(316, 5, 315, '报价评审', 'V', 7, 11, 23, 'BM_EVAL_PRICE', 1, 3),
(317, 5, 315, '服务方案评审', 'V', 7, 11, 23, 'BM_EVAL_SERVICE', 2, 3),
(318, 4, 306, '一、服务内容', 'V', 4, 11, 23, 'BM_REQ_CONTENT', 1, 3),
(319, 4, 306, '二、服务标准', 'V', 4, 11, 23, 'BM_REQ_STANDARD', 2, 3),
(320, 4, 306, '三、人员配置要求', 'V', 4, 11, 23, 'BM_REQ_STAFF', 3, 3),
(321, 3, 301, '第六章 响应文件格式', 'V', 5, 12, 23, 'BM_BID_FORMS', 6, 3),
(322, 4, 321, '一、响应函', 'V', 5, 12, 23, 'BM_FORM_LETTER', 1, 3),
(323, 4, 321, '二、报价一览表', 'V', 5, 12, 23, 'BM_FORM_PRICE', 2, 3),
(324, 4, 321, '三、服务方案', 'V', 5, 11, 23, 'BM_FORM_SERVICE', 3, 3),
(325, 4, 321, '四、服务承诺书（旧版）', 'I', 5, 12, 23, 'BM_FORM_PLEDGE_OLD', 4, 3);

-- Template 24: 货物类询价 (chapter three was added after chapter four).
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(401, 2, 1, '货物类询价采购文件范本', 'V', 2, 10, 24, 'BM_DOC', 4, 1),
(402, 3, 401, '第一章 询价公告', 'V', 3, 11, 24, 'BM_NOTICE', 1, 1),
(403, 3, 401, '第二章 供应商须知', 'V', 6, 11, 24, 'BM_INSTRUCTIONS', 2, 1),
(404, 3, 401, '第四章 采购需求', 'V', 4, 11, 24, 'BM_REQUIREMENTS', 4, 1),
(405, 3, 401, '第三章 成交原则', 'V', 7, 11, 24, 'BM_AWARD', 3, 1),
(406, 4, 402, '一、项目基本情况', 'V', 3, 11, 24, 'BM_NOTICE_BASIC', 1, 1),
(407, 4, 402, '二、供应商资格要求', 'V', 3, 11, 24, 'BM_NOTICE_QUAL', 2, 1),
(408, 4, 403, '一、询价程序', 'V', 6, 11, 24, 'BM_INSTR_PROC', 1, 1),
(409, 4, 403, '二、报价要求', 'V', 6, 11, 24, 'BM_INSTR_PRICE', 2, 1),
(410, 4, 404, '一、货物清单及技术要求', 'V', 4, 12, 24, 'BM_REQ_GOODS', 1, 1),
(411, 4, 404, '二、商务要求', 'V', 4, 11, 24, 'BM_REQ_COMMERCIAL', 2, 1),
(412, 3, 401, '第五章 响应文件格式', 'V', 5, 12, 24, 'BM_BID_FORMS', 5, 1),
(413, 4, 412, '一、报价函', 'V', 5, 12, 24, 'BM_FORM_LETTER', 1, 1),
(414, 4, 412, '二、报价一览表', 'V', 5, 12, 24, 'BM_FORM_PRICE', 2, 1),
(415, 4, 412, '三、产品彩页', 'V', 8, 13, 24, NULL, 3, 1);

-- Template 25: 工程类竞争性谈判.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(501, 2, 1, '工程类竞争性谈判文件范本', 'V', 2, 10, 25, 'BM_DOC', 5, 2),
(502, 3, 501, '第一章 竞争性谈判公告', 'V', 3, 11, 25, 'BM_NOTICE', 1, 2),
(503, 4, 502, '一、项目基本情况', 'V', 3, 11, 25, 'BM_NOTICE_BASIC', 1, 2),
(504, 4, 502, '二、申请人的资格要求', 'V', 3, 11, 25, 'BM_NOTICE_QUAL', 2, 2),
(505, 4, 502, '三、获取谈判文件', 'V', 3, 11, 25, 'BM_NOTICE_OBTAIN', 3, 2),
(506, 4, 502, '四、响应文件提交', 'V', 3, 11, 25, 'BM_NOTICE_SUBMIT', 4, 2),
(507, 4, 502, '五、谈判时间和地点', 'V', 3, 11, 25, 'BM_NOTICE_TIME', 5, 2),
(508, 4, 502, '六、联系方式', 'V', 3, 11, 25, 'BM_NOTICE_CONTACT', 6, 2),
(509, 3, 501, '第二章 供应商须知', 'V', 6, 11, 25, 'BM_INSTRUCTIONS', 2, 2),
(510, 4, 509, '供应商须知前附表', 'V', 6, 12, 25, 'BM_INSTR_TABLE', 1, 2),
(511, 4, 509, '一、总则', 'V', 6, 11, 25, 'BM_INSTR_GENERAL', 2, 2),
(512, 5, 511, '1.1 项目概况', 'V', 6, 11, 25, 'BM_INSTR_OVERVIEW', 1, 2),
(513, 5, 511, '1.2 资金来源和落实情况', 'V', 6, 11, 25, 'BM_INSTR_FUNDS', 2, 2),
(514, 5, 511, '1.3 谈判范围、计划工期和质量要求', 'V', 6, 11, 25, 'BM_INSTR_SCOPE', 3, 2),
(515, 5, 511, '1.4 供应商资格要求', 'V', 6, 11, 25, 'BM_INSTR_ELIGIBLE', 4, 2),
(516, 4, 509, '二、谈判文件', 'V', 6, 11, 25, 'BM_INSTR_DOCS', 3, 2),
(517, 5, 516, '2.1 谈判文件的组成', 'V', 6, 11, 25, 'BM_INSTR_DOCS_PARTS', 1, 2),
(518, 5, 516, '2.2 谈判文件的澄清和修改', 'V', 6, 11, 25, 'BM_INSTR_DOCS_CLARIFY', 2, 2),
(519, 4, 509, '三、响应文件', 'V', 6, 11, 25, 'BM_INSTR_RESPONSE', 4, 2),
(520, 5, 519, '3.1 响应文件的组成', 'V', 6, 11, 25, 'BM_INSTR_RESP_PARTS', 1, 2),
(521, 5, 519, '3.2 报价', 'V', 6, 11, 25, 'BM_INSTR_RESP_PRICE', 2, 2),
(522, 5, 519, '3.3 响应保证金', 'V', 6, 11, 25, 'BM_INSTR_RESP_BAIL', 3, 2),
(523, 5, 519, '3.4 响应文件的编制', 'V', 6, 11, 25, 'BM_INSTR_RESP_FORMAT', 4, 2),
(524, 4, 509, '四、谈判', 'V', 6, 11, 25, 'BM_INSTR_NEGOTIATION', 5, 2),
(525, 4, 509, '五、成交', 'V', 6, 11, 25, 'BM_INSTR_AWARD', 6, 2),
(526, 4, 509, '六、纪律和监督', 'V', 6, 11, 25, 'BM_INSTR_DISCIPLINE', 7, 2),
(527, 3, 501, '第三章 谈判程序和成交原则', 'V', 7, 11, 25, 'BM_EVALUATION', 3, 2),
(528, 4, 527, '一、谈判小组', 'V', 7, 11, 25, 'BM_EVAL_PANEL', 1, 2),
(529, 4, 527, '二、资格性和符合性审查', 'V', 7, 11, 25, 'BM_EVAL_CHECK', 2, 2),
(530, 4, 527, '三、谈判程序', 'V', 7, 11, 25, 'BM_EVAL_PROC', 3, 2),
(531, 5, 530, '3.1 技术谈判', 'V', 7, 11, 25, 'BM_EVAL_PROC_TECH', 1, 2),
(532, 5, 530, '3.2 商务谈判', 'V', 7, 11, 25, 'BM_EVAL_PROC_COMM', 2, 2),
(533, 5, 530, '3.3 最后报价', 'V', 7, 11, 25, 'BM_EVAL_PROC_FINAL', 3, 2),
(534, 4, 527, '四、成交原则', 'V', 7, 11, 25, 'BM_EVAL_AWARD', 4, 2),
(535, 4, 527, '五、谈判记录（旧版格式）', 'I', 7, 11, 25, 'BM_EVAL_RECORD_OLD', 5, 2),
(536, 3, 501, '第四章 合同条款及格式', 'V', 4, 11, 25, 'BM_CONTRACT', 4, 2),
(537, 4, 536, '一、通用合同条款', 'V', 4, 11, 25, 'BM_CONTRACT_GENERAL', 1, 2),
(538, 4, 536, '二、专用合同条款', 'V', 4, 11, 25, 'BM_CONTRACT_SPECIAL', 2, 2),
(539, 4, 536, '三、合同协议书格式', 'V', 4, 12, 25, 'BM_CONTRACT_FORM', 3, 2),
(540, 4, 536, '四、履约担保格式', 'V', 4, 12, 25, 'BM_CONTRACT_BOND', 4, 2),
(541, 3, 501, '第五章 工程量清单', 'V', 4, 12, 25, 'BM_BOQ', 5, 2),
(542, 4, 541, '一、工程量清单说明', 'V', 4, 11, 25, 'BM_BOQ_NOTES', 1, 2),
(543, 4, 541, '二、投标报价说明', 'V', 4, 11, 25, 'BM_BOQ_PRICING', 2, 2),
(544, 4, 541, '三、工程量清单表', 'V', 4, 12, 25, 'BM_BOQ_TABLE', 3, 2),
(545, 3, 501, '第六章 图纸', 'V', 8, 13, 25, 'BM_DRAWINGS', 6, 2),
(546, 3, 501, '第七章 技术标准和要求', 'V', 4, 11, 25, 'BM_TECH_STANDARD', 7, 2),
(547, 4, 546, '一、一般要求', 'V', 4, 11, 25, 'BM_TECH_GENERAL', 1, 2),
(548, 4, 546, '二、特殊技术标准和要求', 'V', 4, 11, 25, 'BM_TECH_SPECIAL', 2, 2),
(549, 4, 546, '三、适用的国家和行业标准规范', 'V', 4, 11, 25, 'BM_TECH_NORMS', 3, 2),
(550, 3, 501, '第八章 响应文件格式', 'V', 5, 12, 25, 'BM_BID_FORMS', 8, 2),
(551, 4, 550, '一、谈判响应函', 'V', 5, 12, 25, 'BM_FORM_LETTER', 1, 2),
(552, 4, 550, '二、法定代表人身份证明及授权委托书', 'V', 5, 12, 25, 'BM_FORM_AUTH', 2, 2),
(553, 4, 550, '三、报价一览表', 'V', 5, 12, 25, 'BM_FORM_PRICE', 3, 2),
(554, 4, 550, '四、已标价工程量清单', 'V', 5, 12, 25, 'BM_FORM_BOQ', 4, 2),
(555, 4, 550, '五、施工组织设计', 'V', 5, 11, 25, 'BM_FORM_CONSTRUCTION', 5, 2),
(556, 5, 555, '施工方案与技术措施', 'V', 5, 11, 25, 'BM_FORM_METHOD', 1, 2),
(557, 5, 555, '质量管理体系与措施', 'V', 5, 11, 25, 'BM_FORM_QUALITY', 2, 2),
(558, 5, 555, '安全文明施工措施', 'V', 5, 11, 25, 'BM_FORM_SAFETY', 3, 2),
(559, 5, 555, '工程进度计划', 'V', 5, 11, 25, 'BM_FORM_SCHEDULE', 4, 2),
(560, 4, 550, '六、项目管理机构', 'V', 5, 12, 25, 'BM_FORM_TEAM', 6, 2),
(561, 4, 550, '七、资格审查资料', 'V', 5, 12, 25, 'BM_FORM_QUAL', 7, 2);

-- Template 26: 服务类公开招标.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(601, 2, 1, '服务类公开招标文件范本', 'V', 2, 10, 26, 'BM_DOC', 6, 3),
(602, 3, 601, '第一章 招标公告', 'V', 3, 11, 26, 'BM_NOTICE', 1, 3),
(603, 4, 602, '一、项目基本情况', 'V', 3, 11, 26, 'BM_NOTICE_BASIC', 1, 3),
(604, 4, 602, '二、申请人的资格要求', 'V', 3, 11, 26, 'BM_NOTICE_QUAL', 2, 3),
(605, 4, 602, '三、获取招标文件', 'V', 3, 11, 26, 'BM_NOTICE_OBTAIN', 3, 3),
(606, 4, 602, '四、提交投标文件截止时间、开标时间和地点', 'V', 3, 11, 26, 'BM_NOTICE_DEADLINE', 4, 3),
(607, 4, 602, '五、公告期限', 'V', 3, 11, 26, 'BM_NOTICE_PERIOD', 5, 3),
(608, 4, 602, '六、其他补充事宜', 'V', 3, 11, 26, 'BM_NOTICE_OTHER', 6, 3),
(609, 4, 602, '七、对本次招标提出询问的联系方式', 'V', 3, 11, 26, 'BM_NOTICE_CONTACT', 7, 3),
(610, 3, 601, '第二章 投标人须知', 'V', 6, 11, 26, 'BM_INSTRUCTIONS', 2, 3),
(611, 4, 610, '投标人须知前附表', 'V', 6, 12, 26, 'BM_INSTR_TABLE', 1, 3),
(612, 4, 610, '一、总则', 'V', 6, 11, 26, 'BM_INSTR_GENERAL', 2, 3),
(613, 5, 612, '1.1 适用范围', 'V', 6, 11, 26, 'BM_INSTR_SCOPE', 1, 3),
(614, 5, 612, '1.2 定义', 'V', 6, 11, 26, 'BM_INSTR_DEFS', 2, 3),
(615, 5, 612, '1.3 合格投标人', 'V', 6, 11, 26, 'BM_INSTR_ELIGIBLE', 3, 3),
(616, 5, 612, '1.4 投标费用', 'V', 6, 11, 26, 'BM_INSTR_COST', 4, 3),
(617, 4, 610, '二、招标文件', 'V', 6, 11, 26, 'BM_INSTR_DOCS', 3, 3),
(618, 5, 617, '2.1 招标文件的构成', 'V', 6, 11, 26, 'BM_INSTR_DOCS_PARTS', 1, 3),
(619, 5, 617, '2.2 招标文件的澄清与修改', 'V', 6, 11, 26, 'BM_INSTR_DOCS_CLARIFY', 2, 3),
(620, 4, 610, '三、投标文件的编制', 'V', 6, 11, 26, 'BM_INSTR_BID', 4, 3),
(621, 5, 620, '3.1 投标文件的组成', 'V', 6, 11, 26, 'BM_INSTR_BID_PARTS', 1, 3),
(622, 5, 620, '3.2 投标报价', 'V', 6, 11, 26, 'BM_INSTR_BID_PRICE', 2, 3),
(623, 5, 620, '3.3 投标有效期', 'V', 6, 11, 26, 'BM_INSTR_BID_VALIDITY', 3, 3),
(624, 5, 620, '3.4 投标保证金（已取消）', 'I', 6, 11, 26, 'BM_INSTR_BID_BAIL', 4, 3),
(625, 4, 610, '四、开标', 'V', 6, 11, 26, 'BM_INSTR_OPENING', 5, 3),
(626, 4, 610, '五、评标', 'V', 6, 11, 26, 'BM_INSTR_EVAL', 6, 3),
(627, 4, 610, '六、定标和签订合同', 'V', 6, 11, 26, 'BM_INSTR_AWARD', 7, 3),
(628, 4, 610, '七、询问与质疑', 'V', 6, 11, 26, 'BM_INSTR_CHALLENGE', 8, 3),
(629, 3, 601, '第三章 评标办法', 'V', 7, 11, 26, 'BM_EVALUATION', 3, 3),
(630, 4, 629, '评标办法前附表', 'V', 7, 12, 26, 'BM_EVAL_TABLE', 1, 3),
(631, 4, 629, '一、评标方法', 'V', 7, 11, 26, 'BM_EVAL_METHOD', 2, 3),
(632, 4, 629, '二、评标程序', 'V', 7, 11, 26, 'BM_EVAL_PROC', 3, 3),
(633, 5, 632, '2.1 资格审查', 'V', 7, 11, 26, 'BM_EVAL_PROC_QUAL', 1, 3),
(634, 5, 632, '2.2 符合性审查', 'V', 7, 11, 26, 'BM_EVAL_PROC_CONFORM', 2, 3),
(635, 5, 632, '2.3 比较与评价', 'V', 7, 11, 26, 'BM_EVAL_PROC_COMPARE', 3, 3),
(636, 4, 629, '三、评分标准', 'V', 7, 11, 26, 'BM_EVAL_SCORING', 4, 3),
(637, 5, 636, '价格分评审', 'V', 7, 11, 26, 'BM_EVAL_PRICE', 1, 3),
(638, 5, 636, '服务方案评审', 'V', 7, 11, 26, 'BM_EVAL_SERVICE', 2, 3),
(639, 5, 636, '商务评审', 'V', 7, 11, 26, 'BM_EVAL_BUSINESS', 3, 3),
(640, 3, 601, '第四章 采购需求', 'V', 4, 11, 26, 'BM_REQUIREMENTS', 4, 3),
(641, 4, 640, '一、项目概况', 'V', 4, 11, 26, 'BM_REQ_OVERVIEW', 1, 3),
(642, 4, 640, '二、服务内容及范围', 'V', 4, 11, 26, 'BM_REQ_CONTENT', 2, 3),
(643, 5, 642, '2.1 日常保洁服务', 'V', 4, 11, 26, 'BM_REQ_CLEANING', 1, 3),
(644, 5, 642, '2.2 秩序维护服务', 'V', 4, 11, 26, 'BM_REQ_SECURITY', 2, 3),
(645, 5, 642, '2.3 设施设备维护', 'V', 4, 11, 26, 'BM_REQ_FACILITY', 3, 3),
(646, 5, 642, '2.4 绿化养护服务', 'V', 4, 11, 26, 'BM_REQ_GREENING', 4, 3),
(647, 4, 640, '三、服务标准', 'V', 4, 11, 26, 'BM_REQ_STANDARD', 3, 3),
(648, 4, 640, '四、人员配置要求', 'V', 4, 12, 26, 'BM_REQ_STAFF', 4, 3),
(649, 4, 640, '五、考核办法', 'V', 4, 11, 26, 'BM_REQ_ASSESS', 5, 3),
(650, 4, 640, '六、服务区域平面图', 'V', 8, 13, 26, 'BM_REQ_PLAN', 6, 3),
(651, 3, 601, '第五章 合同条款', 'V', 4, 11, 26, 'BM_CONTRACT', 5, 3),
(652, 4, 651, '一、合同通用条款', 'V', 4, 11, 26, 'BM_CONTRACT_GENERAL', 1, 3),
(653, 4, 651, '二、合同专用条款', 'V', 4, 11, 26, 'BM_CONTRACT_SPECIAL', 2, 3),
(654, 4, 651, '三、合同格式', 'V', 4, 12, 26, 'BM_CONTRACT_FORM', 3, 3),
(655, 3, 601, '第六章 投标文件格式', 'V', 5, 12, 26, 'BM_BID_FORMS', 6, 3),
(656, 4, 655, '一、投标函', 'V', 5, 12, 26, 'BM_FORM_LETTER', 1, 3),
(657, 4, 655, '二、开标一览表', 'V', 5, 12, 26, 'BM_FORM_PRICE', 2, 3),
(658, 4, 655, '三、分项报价明细表', 'V', 5, 12, 26, 'BM_FORM_PRICE_DETAIL', 3, 3),
(659, 4, 655, '四、法定代表人授权书', 'V', 5, 12, 26, 'BM_FORM_AUTH', 4, 3),
(660, 4, 655, '五、服务方案', 'V', 5, 11, 26, 'BM_FORM_SERVICE', 5, 3),
(661, 4, 655, '六、拟投入人员情况表', 'V', 5, 12, 26, 'BM_FORM_STAFF', 6, 3),
(662, 4, 655, '七、类似项目业绩一览表', 'V', 5, 12, 26, 'BM_FORM_RECORD', 7, 3),
(663, 4, 655, '八、资格证明文件', 'V', 5, 12, 26, 'BM_FORM_QUAL', 8, 3),
(664, 4, 655, '九、中小企业声明函', 'V', 5, 12, 26, 'BM_FORM_SME', 9, 3);

-- Template 27: 货物类竞争性谈判 (its chapters carry two PDF nodes).
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(701, 2, 1, '货物类竞争性谈判文件范本', 'V', 2, 10, 27, 'BM_DOC', 7, 1),
(702, 3, 701, '第一章 竞争性谈判公告', 'V', 3, 11, 27, 'BM_NOTICE', 1, 1),
(703, 4, 702, '一、项目基本情况', 'V', 3, 11, 27, 'BM_NOTICE_BASIC', 1, 1),
(704, 4, 702, '二、申请人的资格要求', 'V', 3, 11, 27, 'BM_NOTICE_QUAL', 2, 1),
(705, 4, 702, '三、获取谈判文件', 'V', 3, 11, 27, 'BM_NOTICE_OBTAIN', 3, 1),
(706, 4, 702, '四、响应文件提交', 'V', 3, 11, 27, 'BM_NOTICE_SUBMIT', 4, 1),
(707, 4, 702, '五、联系方式', 'V', 3, 11, 27, 'BM_NOTICE_CONTACT', 5, 1),
(708, 3, 701, '第二章 供应商须知', 'V', 6, 11, 27, 'BM_INSTRUCTIONS', 2, 1),
(709, 4, 708, '供应商须知前附表', 'V', 6, 12, 27, 'BM_INSTR_TABLE', 1, 1),
(710, 4, 708, '一、总则', 'V', 6, 11, 27, 'BM_INSTR_GENERAL', 2, 1),
(711, 5, 710, '1.1 适用范围', 'V', 6, 11, 27, 'BM_INSTR_SCOPE', 1, 1),
(712, 5, 710, '1.2 合格供应商', 'V', 6, 11, 27, 'BM_INSTR_ELIGIBLE', 2, 1),
(713, 5, 710, '1.3 进口产品', 'V', 6, 11, 27, 'BM_INSTR_IMPORT', 3, 1),
(714, 4, 708, '二、谈判文件', 'V', 6, 11, 27, 'BM_INSTR_DOCS', 3, 1),
(715, 4, 708, '三、响应文件', 'V', 6, 11, 27, 'BM_INSTR_RESPONSE', 4, 1),
(716, 5, 715, '3.1 响应文件的组成', 'V', 6, 11, 27, 'BM_INSTR_RESP_PARTS', 1, 1),
(717, 5, 715, '3.2 报价要求', 'V', 6, 11, 27, 'BM_INSTR_RESP_PRICE', 2, 1),
(718, 5, 715, '3.3 响应文件的签署和密封', 'V', 6, 11, 27, 'BM_INSTR_RESP_SEAL', 3, 1),
(719, 4, 708, '四、谈判与成交', 'V', 6, 11, 27, 'BM_INSTR_AWARD', 5, 1),
(720, 3, 701, '第三章 谈判程序和成交原则', 'V', 7, 11, 27, 'BM_EVALUATION', 3, 1),
(721, 4, 720, '一、谈判小组', 'V', 7, 11, 27, 'BM_EVAL_PANEL', 1, 1),
(722, 4, 720, '二、谈判程序', 'V', 7, 11, 27, 'BM_EVAL_PROC', 2, 1),
(723, 4, 720, '三、成交原则', 'V', 7, 11, 27, 'BM_EVAL_AWARD', 3, 1),
(724, 3, 701, '第四章 采购需求', 'V', 4, 11, 27, 'BM_REQUIREMENTS', 4, 1),
(725, 4, 724, '一、采购清单', 'V', 4, 12, 27, 'BM_REQ_LIST', 1, 1),
(726, 4, 724, '二、技术要求', 'V', 4, 11, 27, 'BM_REQ_TECH', 2, 1),
(727, 5, 726, '2.1 服务器', 'V', 4, 11, 27, 'BM_REQ_SERVER', 1, 1),
(728, 5, 726, '2.2 存储设备', 'V', 4, 11, 27, 'BM_REQ_STORAGE', 2, 1),
(729, 5, 726, '2.3 网络交换机', 'V', 4, 11, 27, 'BM_REQ_SWITCH', 3, 1),
(730, 5, 726, '2.4 不间断电源', 'V', 4, 11, 27, 'BM_REQ_UPS', 4, 1),
(731, 4, 724, '三、商务要求', 'V', 4, 11, 27, 'BM_REQ_COMMERCIAL', 3, 1),
(732, 5, 731, '3.1 交货期及交货地点', 'V', 4, 11, 27, 'BM_REQ_DELIVERY', 1, 1),
(733, 5, 731, '3.2 质保及售后服务', 'V', 4, 11, 27, 'BM_REQ_WARRANTY', 2, 1),
(734, 5, 731, '3.3 付款方式', 'V', 4, 11, 27, 'BM_REQ_PAYMENT', 3, 1),
(735, 4, 724, '四、机房布置示意图', 'V', 8, 13, 27, 'BM_REQ_ROOM_PLAN', 4, 1),
(736, 3, 701, '第五章 合同条款', 'V', 4, 11, 27, 'BM_CONTRACT', 5, 1),
(737, 4, 736, '一、合同通用条款', 'V', 4, 11, 27, 'BM_CONTRACT_GENERAL', 1, 1),
(738, 4, 736, '二、合同专用条款', 'V', 4, 11, 27, 'BM_CONTRACT_SPECIAL', 2, 1),
(739, 3, 701, '第六章 响应文件格式', 'V', 5, 12, 27, 'BM_BID_FORMS', 6, 1),
(740, 4, 739, '一、谈判响应函', 'V', 5, 12, 27, 'BM_FORM_LETTER', 1, 1),
(741, 4, 739, '二、首次报价一览表', 'V', 5, 12, 27, 'BM_FORM_PRICE', 2, 1),
(742, 4, 739, '三、技术参数响应及偏离表', 'V', 5, 12, 27, 'BM_FORM_DEVIATION', 3, 1),
(743, 4, 739, '四、商务条款响应及偏离表', 'V', 5, 12, 27, 'BM_FORM_COMM_DEVIATION', 4, 1),
(744, 4, 739, '五、法定代表人授权书', 'V', 5, 12, 27, 'BM_FORM_AUTH', 5, 1),
(745, 4, 739, '六、资格证明文件', 'V', 5, 12, 27, 'BM_FORM_QUAL', 6, 1),
(746, 4, 739, '七、产品彩页及检测报告', 'V', 8, 13, 27, 'BM_FORM_BROCHURE', 7, 1);

-- Resource library: attached data ------------------------------------------

-- Template 22 keeps its superseded 2019 record, invalidated.
INSERT INTO TJ_PROCUREMENT_PROJECT_INFO (PROJECT_ID, BUNDLE_ID, RESOURCE_ID, PROJECT_NAME, PROMODE_ID, AVERAGE_PRICE_DROP_SCALE, JUDGE_WAY, PROJECT_TYPE, CATEGORY_ID, STS, APPRAISE_MODE) VALUES
(0, '0', 21, '货物类公开招标文件范本', 1, '0', 1, 1, 1010, 'V', '综合评分法'),
(0, '0', 22, '工程类公开招标文件范本（2019版）', 1, '3', 2, 2, 2010, 'I', '最低评标价法'),
(0, '0', 22, '工程类公开招标文件范本', 1, '3', 1, 2, 2010, 'V', '综合评分法'),
(0, '0', 23, '服务类竞争性磋商文件范本', 4, NULL, 1, 3, 3010, 'V', '综合评分法'),
(0, '0', 24, '货物类询价采购文件范本', 5, '0', 2, 1, 1010, 'V', '最低评标价法');

INSERT INTO T_ACCORDED_CHECK_INFO (RESOURCE_ID, BUNDLE_ID, CHECK_ID, CONTENT, STS, CHECK_ORI) VALUES
(21, '0', 1, '投标人具有独立承担民事责任的能力', 'V', '资格性检查'),
(21, '0', 2, '投标人具有良好的商业信誉和健全的财务会计制度', 'V', '资格性检查'),
(21, '0', 3, '投标人具有履行合同所必需的设备和专业技术能力', 'V', '资格性检查'),
(21, '0', 4, '投标人有依法缴纳税收和社会保障资金的良好记录', 'V', '资格性检查'),
(21, '0', 5, '参加政府采购活动前三年内，在经营活动中没有重大违法记录', 'V', '资格性检查'),
(21, '0', 6, '投标文件已按招标文件要求签署、盖章', 'V', '符合性检查'),
(21, '0', 7, '投标报价≤采购预算 & 交货期<90天 & 质保期>1年', 'V', '符合性检查'),
(21, '0', 8, '投标产品须提供强制性认证证书（已取消）', 'I', '符合性检查'),
(22, '1', 9, '投标人具有建筑工程施工总承包二级及以上资质', 'V', '资格性检查'),
(22, '1', 10, '拟派项目经理具有建筑工程专业二级及以上注册建造师执业资格', 'V', '资格性检查'),
(22, '1', 11, '投标人具有有效的安全生产许可证', 'V', '资格性检查'),
(22, NULL, 12, '投标保证金已按招标文件要求提交', 'V', '符合性检查'),
(22, '1', 13, '投标工期不超过招标文件规定的工期', 'V', '符合性检查'),
(22, '2', 14, '投标报价未超过招标控制价', 'V', '符合性检查'),
(23, '0', 15, '供应商具有独立承担民事责任的能力', 'V', '资格性检查'),
(23, '0', 16, '供应商未被列入失信被执行人、重大税收违法失信主体名单', 'V', '资格性检查'),
(23, '0', 17, '响应文件已按磋商文件要求签署、盖章', 'V', '符合性检查'),
(23, '0', 18, '服务期限满足磋商文件要求', 'V', '符合性检查'),
(23, '0', 19, '磋商报价未超过采购预算', 'V', '符合性检查'),
(24, '0', 20, '供应商具有独立承担民事责任的能力', 'V', '资格性检查'),
(24, '0', 21, '供应商具有履行合同所必需的设备和专业技术能力', 'V', '资格性检查'),
(24, '0', 22, '报价文件已按询价通知书要求签署、盖章', 'V', '符合性检查'),
(24, '0', 23, '报价未超过采购预算', 'V', '符合性检查'),
(24, '0', 24, '交货期满足询价通知书要求', 'V', '符合性检查');

INSERT INTO T_GRADE_INGREDIENT_INFO (GRADE_ITEM_ID, RESOURCE_ID, SEQ_ID, CONTENT, REMARK, SCALE, STS, ITEM_FLAG) VALUES
(1, 21, 1, '价格分', '满足招标文件要求且投标价格最低的投标报价为评标基准价，其价格分为满分', 30, 'V', 'P'),
(2, 21, 2, '技术分', NULL, 50, 'V', 'T'),
(3, 21, 3, '商务分', '含业绩、售后服务等', 20, 'V', 'B'),
(4, 21, 4, '售后服务分', '已并入商务分', 10, 'I', 'S'),
(5, 22, 1, '投标报价', '以有效投标报价的算术平均值下浮后作为评标基准价', 60, 'V', 'P'),
(6, 22, 2, '施工组织设计', NULL, 30, 'V', 'T'),
(7, 22, 3, '项目管理机构及业绩', '', 10, 'V', 'B'),
(8, 23, 1, '价格分', '满足磋商文件要求且最后报价最低的为磋商基准价', 30, 'V', 'P'),
(9, 23, 2, '服务方案', NULL, 50, 'V', 'T'),
(10, 23, 3, '商务分', '含类似业绩及团队资质', NULL, 'V', 'B'),
(11, 24, 1, '价格分', '询价采购以最低报价成交，本表仅作参考', 60, 'V', 'P'),
(12, 24, 2, '技术响应', NULL, 30, 'V', 'T'),
(13, 24, 3, '商务响应', '交货期、质保期', 10, 'V', 'B');

INSERT INTO T_GRADE_INGREDIENT_DETAIL_INFO (INGREDIENT_ID, GRADE_ITEM_ID, NAME, GRADE_MODE_ID, REMARK, SCALE, STS) VALUES
(1, 1, '评标基准价得分', 2, '价格分＝（评标基准价／投标报价）×30', 30, 'V'),
(2, 1, '小微企业价格扣除', 2, '小型和微型企业产品给予10%的价格扣除', NULL, 'V'),
(3, 2, '技术参数响应程度', 2, '带★号参数不满足的作无效投标处理', 30, 'V'),
(4, 2, '产品质量及性能', 1, NULL, 10, 'V'),
(5, 2, '供货及安装实施方案', 1, '由评标委员会根据方案完整性评分', 10, 'V'),
(6, 3, '同类项目业绩', 2, '近三年同类项目业绩', 10, 'V'),
(7, 3, '售后服务承诺', 1, NULL, 10, 'V'),
(8, 4, '本地化服务网点', 1, NULL, 5, 'V'),
(9, 4, '故障响应时间', 2, NULL, 5, 'V'),
(10, 5, '投标报价得分', 2, '按偏离评标基准价的幅度扣分', 60, 'V'),
(11, 5, '报价合理性', 1, '不平衡报价的扣分', NULL, 'I'),
(12, 6, '施工方案与技术措施', 1, NULL, 10, 'V'),
(13, 6, '质量管理体系与措施', 1, NULL, 5, 'V'),
(14, 6, '安全文明施工措施', 1, NULL, 5, 'V'),
(15, 6, '工程进度计划与保证措施', 1, NULL, 10, 'V'),
(16, 7, '类似工程业绩', 2, '近五年类似工程业绩', 6, 'V'),
(17, 7, '项目经理业绩及资格', 2, NULL, 4, 'V'),
(18, 8, '磋商报价得分', 2, '价格分＝（磋商基准价／最后报价）×30', 30, 'V'),
(19, 8, '报价完整性', 1, NULL, NULL, 'V'),
(20, 9, '服务方案完整性', 1, NULL, 20, 'V'),
(21, 9, '服务质量保障措施', 1, NULL, 15, 'V'),
(22, 9, '拟投入人员配置', 2, '按持证人员数量计分', 15, 'V'),
(23, 10, '类似服务业绩', 2, NULL, 10, 'V'),
(24, 10, '服务团队资质', 2, NULL, 10, 'V'),
(25, 10, '质量管理体系认证', 2, '已取消该评分因素', 5, 'I'),
(26, 11, '报价得分', 2, NULL, 60, 'V'),
(27, 11, '小微企业价格扣除', 2, NULL, NULL, 'V'),
(28, 12, '技术参数偏离', 2, '每项负偏离扣分', 20, 'V'),
(29, 12, '产品品牌与质量', 1, NULL, 10, 'V'),
(30, 13, '交货期', 2, NULL, 5, 'V'),
(31, 13, '质保期', 2, NULL, 5, 'V');

-- UNIT: what is counted, MARK: points per unit, UPPER_LIMIT: cap,
-- QIALEFICATION: value from which the rule starts to count.
INSERT INTO T_AUTO_GRADE_DETAILS_INFO (AUTO_GRADE_ID, INGREDIENT_ID, UNIT, MARK, UPPER_LIMIT, QIALEFICATION, STS) VALUES
(1, 1, '%', 30, '30', 100, 'V'),
(2, 1, '%', -0.5, NULL, 1, 'V'),
(3, 2, '%', 10, '10', 0, 'V'),
(4, 3, '项', -2, '30', 0, 'V'),
(5, 3, '项', 1, '5', 0, 'V'),
(6, 6, '个', 2, '10', 0, 'V'),
(7, 9, '小时', 1, '5', 24, 'V'),
(8, 10, '%', -1, '60', 0, 'V'),
(9, 10, '%', -2, NULL, 0, 'V'),
(10, 16, '个', 2, '6', 0, 'V'),
(11, 17, '个', 1, '4', 0, 'V'),
(12, 18, '%', 30, '30', 100, 'V'),
(13, 22, '人', 3, '15', 0, 'V'),
(14, 23, '个', 2, '10', 0, 'V'),
(15, 24, '项', 2.5, '10', 0, 'V'),
(16, 25, '项', 5, '5', 0, 'I'),
(17, 26, '%', 60, '60', 100, 'V'),
(18, 27, '%', 10, '10', 0, 'V'),
(19, 28, '项', -2, '20', 0, 'V'),
(20, 30, '天', -0.5, '5', 15, 'V'),
(21, 31, '年', 1, '5', 1, 'V');

INSERT INTO TJ_OPEN_BID_DETAILS_INFO (PROJECT_ID, BUNDLE_ID, RESOURCE_ID, BAIL, REMARK, ENGIN_NAME, FINISH_DATE, GOOD_NAME, DELIVERY_DATE, AMOUNT, BID_SUM_PRICE, SPEC, MAKE_FACTORY, STS, REG_SUM_TYPE) VALUES
(0, '0', 21, NULL, NULL, NULL, NULL, '台式计算机', '合同签订后30日内', 1, NULL, '详见采购需求', NULL, 'V', 1),
(0, '0', 21, NULL, '含安装调试', NULL, NULL, '激光打印机', '合同签订后30日内', 1, NULL, '详见采购需求', NULL, 'V', 1),
(0, '1', 22, 20000, NULL, '施工一标段', '合同签订后180日历天', NULL, NULL, NULL, NULL, NULL, NULL, 'V', 1),
(0, '2', 22, 20000, NULL, '施工二标段', '合同签订后150日历天', NULL, NULL, NULL, NULL, NULL, NULL, 'V', 1),
(0, '1', 22, 10000, '旧版格式', '施工标段', '合同签订后200日历天', NULL, NULL, NULL, NULL, NULL, NULL, 'I', 1),
(0, '0', 23, NULL, '服务期一年', NULL, '自合同签订之日起12个月', '物业管理服务', NULL, 1, NULL, NULL, NULL, 'V', 2),
(0, '0', 23, NULL, NULL, NULL, '自合同签订之日起12个月', '保洁及绿化养护服务', NULL, 1, NULL, NULL, NULL, 'V', 2),
(0, '0', 24, NULL, NULL, NULL, NULL, '复印纸', '合同签订后7日内', 500, NULL, 'A4 70g 500张／包', NULL, 'V', 2),
(0, '0', 24, NULL, NULL, NULL, NULL, '硒鼓', '合同签订后7日内', 50, NULL, '原装', NULL, 'V', 2);

-- Templates 25 to 27: attached data.
INSERT INTO TJ_PROCUREMENT_PROJECT_INFO (PROJECT_ID, BUNDLE_ID, RESOURCE_ID, PROJECT_NAME, PROMODE_ID, AVERAGE_PRICE_DROP_SCALE, JUDGE_WAY, PROJECT_TYPE, CATEGORY_ID, STS, APPRAISE_MODE) VALUES
(0, '0', 25, '工程类竞争性谈判文件范本', 3, '0', 2, 2, 2020, 'V', '最低评标价法'),
(0, '0', 26, '服务类公开招标文件范本', 1, NULL, 1, 3, 3010, 'V', '综合评分法'),
(0, '0', 27, '货物类竞争性谈判文件范本', 3, '0', 3, 1, 1020, 'V', '性价比法');

INSERT INTO T_ACCORDED_CHECK_INFO (RESOURCE_ID, BUNDLE_ID, CHECK_ID, CONTENT, STS, CHECK_ORI) VALUES
(25, '0', 25, '供应商具有市政公用工程施工总承包三级及以上资质', 'V', '资格性检查'),
(25, '0', 26, '拟派项目负责人具有市政公用工程专业注册建造师执业资格', 'V', '资格性检查'),
(25, '0', 27, '供应商具有有效的安全生产许可证', 'V', '资格性检查'),
(25, '0', 28, '响应文件已按谈判文件要求签署、盖章', 'V', '符合性检查'),
(25, '0', 29, '最后报价未超过采购预算 & 工期≤120日历天', 'V', '符合性检查'),
(25, '0', 30, '响应保证金已按要求提交（已取消）', 'I', '符合性检查'),
(26, '0', 31, '投标人具有独立承担民事责任的能力', 'V', '资格性检查'),
(26, '0', 32, '投标人具有良好的商业信誉和健全的财务会计制度', 'V', '资格性检查'),
(26, '0', 33, '投标人有依法缴纳税收和社会保障资金的良好记录', 'V', '资格性检查'),
(26, '0', 34, '参加政府采购活动前三年内，在经营活动中没有重大违法记录', 'V', '资格性检查'),
(26, '0', 35, '投标文件已按招标文件要求签署、盖章', 'V', '符合性检查'),
(26, '0', 36, '服务期限、服务地点满足招标文件要求', 'V', '符合性检查'),
(26, '0', 37, '投标报价未超过采购预算', 'V', '符合性检查'),
(27, '0', 38, '供应商具有独立承担民事责任的能力', 'V', '资格性检查'),
(27, '0', 39, '供应商未被列入失信被执行人、重大税收违法失信主体名单', 'V', '资格性检查'),
(27, '0', 40, '响应文件已按谈判文件要求签署、盖章', 'V', '符合性检查'),
(27, '0', 41, '带★号的技术参数全部满足', 'V', '符合性检查'),
(27, '0', 42, '交货期≤30日 & 质保期≥3年', 'V', '符合性检查');

INSERT INTO T_GRADE_INGREDIENT_INFO (GRADE_ITEM_ID, RESOURCE_ID, SEQ_ID, CONTENT, REMARK, SCALE, STS, ITEM_FLAG) VALUES
(14, 25, 1, '价格分', '以满足谈判文件要求的最后报价最低者为成交候选人，本表供谈判小组参考', 70, 'V', 'P'),
(15, 25, 2, '技术分', '施工组织设计', 20, 'V', 'T'),
(16, 25, 3, '商务分', '类似工程业绩', 10, 'V', 'B'),
(17, 26, 1, '价格分', '满足招标文件要求且投标价格最低的投标报价为评标基准价', 30, 'V', 'P'),
(18, 26, 2, '技术分', '服务方案及人员配置', 45, 'V', 'T'),
(19, 26, 3, '商务分', '业绩与信誉', 20, 'V', 'B'),
(20, 26, 4, '服务承诺', NULL, 5, 'V', 'S'),
(21, 27, 1, '价格分', '性价比法：评标总得分＝技术及商务得分／投标报价', 30, 'V', 'P'),
(22, 27, 2, '技术分', NULL, 50, 'V', 'T'),
(23, 27, 3, '商务分', '交货期、质保期、售后服务', 20, 'V', 'B');

INSERT INTO T_GRADE_INGREDIENT_DETAIL_INFO (INGREDIENT_ID, GRADE_ITEM_ID, NAME, GRADE_MODE_ID, REMARK, SCALE, STS) VALUES
(32, 14, '最后报价得分', 2, '价格分＝（谈判基准价／最后报价）×70', 70, 'V'),
(33, 15, '施工方案与技术措施', 1, NULL, 10, 'V'),
(34, 15, '工程进度计划与保证措施', 1, NULL, 10, 'V'),
(35, 16, '类似工程业绩', 2, '近三年类似工程业绩', 10, 'V'),
(36, 17, '评标基准价得分', 2, '价格分＝（评标基准价／投标报价）×30', 30, 'V'),
(37, 17, '小微企业价格扣除', 2, '小型和微型企业给予10%的价格扣除', NULL, 'V'),
(38, 18, '服务方案完整性与可行性', 1, NULL, 20, 'V'),
(39, 18, '拟投入人员配置', 2, '按持证上岗人员数量计分', 15, 'V'),
(40, 18, '应急预案', 1, NULL, 10, 'V'),
(41, 19, '类似项目业绩', 2, '近三年同类服务业绩', 12, 'V'),
(42, 19, '质量管理体系认证', 2, NULL, 8, 'V'),
(43, 20, '服务响应时间承诺', 2, NULL, 5, 'V'),
(44, 21, '报价得分', 2, NULL, 30, 'V'),
(45, 22, '技术参数响应程度', 2, '带★号参数不满足的作无效响应处理', 35, 'V'),
(46, 22, '产品品牌与质量', 1, NULL, 15, 'V'),
(47, 23, '交货期', 2, NULL, 6, 'V'),
(48, 23, '质保期', 2, NULL, 8, 'V'),
(49, 23, '售后服务网点', 1, NULL, 6, 'V');

INSERT INTO T_AUTO_GRADE_DETAILS_INFO (AUTO_GRADE_ID, INGREDIENT_ID, UNIT, MARK, UPPER_LIMIT, QIALEFICATION, STS) VALUES
(22, 32, '%', 70, '70', 100, 'V'),
(23, 35, '个', 2.5, '10', 0, 'V'),
(24, 36, '%', 30, '30', 100, 'V'),
(25, 37, '%', 10, '10', 0, 'V'),
(26, 39, '人', 1.5, '15', 0, 'V'),
(27, 41, '个', 3, '12', 0, 'V'),
(28, 42, '项', 4, '8', 0, 'V'),
(29, 43, '小时', -1, '5', 2, 'V'),
(30, 44, '%', 30, '30', 100, 'V'),
(31, 45, '项', -3, '35', 0, 'V'),
(32, 47, '天', -0.5, '6', 15, 'V'),
(33, 48, '年', 2, '8', 3, 'V');

INSERT INTO TJ_OPEN_BID_DETAILS_INFO (PROJECT_ID, BUNDLE_ID, RESOURCE_ID, BAIL, REMARK, ENGIN_NAME, FINISH_DATE, GOOD_NAME, DELIVERY_DATE, AMOUNT, BID_SUM_PRICE, SPEC, MAKE_FACTORY, STS, REG_SUM_TYPE) VALUES
(0, '0', 25, NULL, NULL, '道路排水改造工程', '合同签订后120日历天', NULL, NULL, NULL, NULL, NULL, NULL, 'V', 1),
(0, '0', 25, NULL, '暂列金额另计', '附属绿化工程', '与主体工程同步完成', NULL, NULL, NULL, NULL, NULL, NULL, 'V', 1),
(0, '0', 26, NULL, '服务期三年，按年支付', NULL, '自合同签订之日起36个月', '物业管理服务', NULL, 1, NULL, NULL, NULL, 'V', 2),
(0, '0', 26, NULL, NULL, NULL, '自合同签订之日起36个月', '食堂餐饮服务', NULL, 1, NULL, NULL, NULL, 'V', 2),
(0, '0', 27, NULL, NULL, NULL, NULL, '机架式服务器', '合同签订后30日内', 6, NULL, '详见采购需求2.1', NULL, 'V', 1),
(0, '0', 27, NULL, NULL, NULL, NULL, '存储设备', '合同签订后30日内', 2, NULL, '详见采购需求2.2', NULL, 'V', 1),
(0, '0', 27, NULL, '含安装调试', NULL, NULL, '网络交换机', '合同签订后30日内', 4, NULL, '详见采购需求2.3', NULL, 'V', 1);

-- Project side: project 1, made from template 21 ---------------------------

-- Node numbers follow the copy walk of template 21 (children in node order);
-- the invalidated consortium branch kept only its first node.
-- Columns after NODE_ORDER: PROJECT_TYPE_ID, NODE_ESTATE, PAGE_COUNT,
-- PAGE_NUM, NODE_Level_Top, BS_NODE_ID, NODE_PAGE_COUNT.
INSERT INTO T_PROJECT_TREE (NODE_ID, NODE_NAME, PROJECT_ID, BUNDLE_ID, LAYER_ID, PARENT_NOED_ID, TYPE_ID, RESOURCE_TYPE_ID, STS, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE_ID, NODE_ESTATE, PAGE_COUNT, PAGE_NUM, NODE_Level_Top, BS_NODE_ID, NODE_PAGE_COUNT) VALUES
(1, '2026年度办公设备采购项目', 1, '0', 1, 0, 9, 0, 'V', 'BM_PROJECT', 1, 1, 1, 0, 0, 1, 0, 0),
(2, '2026年度办公设备采购项目招标文件', 1, '0', 2, 1, 2, 10, 'V', 'BM_DOC', 1, 1, 1, 86, 1, 1, 0, 86),
(3, '第一章 招标公告', 1, '0', 3, 2, 3, 11, 'V', 'BM_NOTICE', 1, 1, 1, 86, 2, 1, 0, 4),
(4, '一、项目基本情况', 1, '0', 4, 3, 3, 11, 'V', 'BM_NOTICE_BASIC', 1, 1, 1, 86, 2, 0, 0, 1),
(5, '二、申请人的资格要求', 1, '0', 4, 3, 3, 11, 'V', 'BM_NOTICE_QUAL', 2, 1, 1, 86, 3, 0, 0, 1),
(6, '三、获取招标文件', 1, '0', 4, 3, 3, 11, 'V', 'BM_NOTICE_OBTAIN', 3, 1, 1, 86, 4, 0, 0, 1),
(7, '四、提交投标文件截止时间、开标时间和地点', 1, '0', 4, 3, 3, 11, 'V', 'BM_NOTICE_DEADLINE', 4, 1, 1, 86, 4, 0, 0, 1),
(8, '五、对本次招标提出询问的联系方式', 1, '0', 4, 3, 3, 11, 'V', 'BM_NOTICE_CONTACT', 5, 1, 1, 86, 5, 0, 0, 1),
(9, '第二章 投标人须知', 1, '0', 3, 2, 6, 11, 'V', 'BM_INSTRUCTIONS', 2, 1, 1, 86, 6, 1, 0, 14),
(10, '投标人须知前附表', 1, '0', 4, 9, 6, 12, 'V', 'BM_INSTR_TABLE', 1, 1, 1, 86, 6, 0, 0, 3),
(11, '一、总则', 1, '0', 4, 9, 6, 11, 'V', 'BM_INSTR_GENERAL', 2, 1, 1, 86, 9, 0, 0, 3),
(12, '1.1 适用范围', 1, '0', 5, 11, 6, 11, 'V', 'BM_INSTR_SCOPE', 1, 1, 1, 86, 9, 0, 0, 1),
(13, '1.2 定义', 1, '0', 5, 11, 6, 11, 'V', 'BM_INSTR_DEFS', 2, 1, 1, 86, 10, 0, 0, 1),
(14, '1.3 合格投标人', 1, '0', 5, 11, 6, 11, 'V', 'BM_INSTR_ELIGIBLE', 3, 1, 1, 86, 11, 0, 0, 1),
(15, '二、招标文件', 1, '0', 4, 9, 6, 11, 'V', 'BM_INSTR_DOCS', 3, 1, 1, 86, 12, 0, 0, 3),
(16, '三、投标文件', 1, '0', 4, 9, 6, 11, 'V', 'BM_INSTR_BID', 4, 1, 1, 86, 15, 0, 0, 5),
(17, '四、投标保证金（旧版条款）', 1, '0', 4, 9, 6, 11, 'I', 'BM_INSTR_BAIL_OLD', 5, 1, 0, 86, 0, 0, 0, 0),
(18, '第三章 评标办法', 1, '0', 3, 2, 7, 11, 'V', 'BM_EVALUATION', 3, 1, 1, 86, 20, 1, 0, 10),
(19, '评标办法前附表', 1, '0', 4, 18, 7, 12, 'V', 'BM_EVAL_TABLE', 2, 1, 1, 86, 22, 0, 0, 2),
(20, '一、评标原则和程序', 1, '0', 4, 18, 7, 11, 'V', 'BM_EVAL_PROC', 1, 1, 1, 86, 20, 0, 0, 2),
(21, '二、评分标准', 1, '0', 4, 18, 7, 11, 'V', 'BM_EVAL_SCORING', 3, 1, 1, 86, 24, 0, 0, 6),
(22, '价格分评审', 1, '0', 5, 21, 7, 11, 'V', 'BM_EVAL_PRICE', 1, 1, 1, 86, 24, 0, 0, 2),
(23, '技术及商务评审', 1, '0', 5, 21, 7, 11, 'V', 'BM_EVAL_TECH', 2, 1, 1, 86, 26, 0, 0, 4),
(24, '第五章 采购需求', 1, '0', 3, 2, 4, 11, 'V', 'BM_REQUIREMENTS', 5, 1, 1, 86, 46, 1, 0, 20),
(25, '一、技术要求', 1, '0', 4, 24, 4, 11, 'V', 'BM_REQ_TECH', 1, 1, 1, 86, 46, 0, 0, 12),
(26, '主要技术参数', 1, '0', 5, 25, 4, 11, 'V', 'BM_REQ_PARAMS', 1, 1, 1, 86, 46, 0, 0, 8),
(27, '配置清单', 1, '0', 5, 25, 4, 12, 'V', 'BM_REQ_CONFIG', 2, 1, 1, 86, 54, 0, 0, 4),
(28, '二、商务要求', 1, '0', 4, 24, 4, 11, 'V', 'BM_REQ_COMMERCIAL', 2, 1, 1, 86, 58, 0, 0, 4),
(29, '三、设备示意图', 1, '0', 4, 24, 8, 13, 'V', 'BM_REQ_DRAWING', 3, 1, 1, 86, 62, 0, 0, 4),
(30, '第四章 合同条款', 1, '0', 3, 2, 4, 11, 'V', 'BM_CONTRACT', 4, 1, 1, 86, 30, 1, 0, 16),
(31, '一、合同通用条款', 1, '0', 4, 30, 4, 11, 'V', 'BM_CONTRACT_GENERAL', 1, 1, 1, 86, 30, 0, 0, 10),
(32, '二、合同专用条款', 1, '0', 4, 30, 4, 11, 'V', 'BM_CONTRACT_SPECIAL', 2, 1, 1, 86, 40, 0, 0, 6),
(33, '第六章 投标文件格式', 1, '0', 3, 2, 5, 12, 'V', 'BM_BID_FORMS', 6, 1, 1, 86, 66, 1, 0, 21),
(34, '一、投标函', 1, '0', 4, 33, 5, 12, 'V', 'BM_FORM_LETTER', 1, 1, 1, 86, 66, 0, 0, 2),
(35, '二、开标一览表', 1, '0', 4, 33, 5, 12, 'V', 'BM_FORM_PRICE', 2, 1, 1, 86, 68, 0, 0, 2),
(36, '三、法定代表人授权书', 1, '0', 4, 33, 5, 12, 'V', 'BM_FORM_AUTH', 3, 1, 0, 86, 70, 0, 0, 2),
(37, '五、资格证明文件', 1, '0', 4, 33, 5, 12, 'V', 'BM_FORM_QUAL', 5, 1, 0, 86, 72, 0, 0, 15),
(38, '四、联合体协议书', 1, '0', 4, 33, 5, 12, 'I', 'BM_FORM_CONSORTIUM', 4, 1, 0, 86, 0, 0, 0, 0);

INSERT INTO TJ_PROCUREMENT_PROJECT (PROJECT_ID, BUNDLE_ID, PROJECT_NAME, PROMODE_ID, AVERAGE_PRICE_DROP_SCALE, JUDGE_WAY, PROJECT_TYPE, CATEGORY_ID, STS, SERIAL_NUMBER, APPRAISE_MODE, MINPRICE) VALUES
(1, '0', '2026年度办公设备采购项目', 1, '0', 1, 1, 1010, 'V', 'ZFCG-2026-0015', '综合评分法', 1280000);

INSERT INTO T_ACCORDED_CHECK (PROJECT_ID, BUNDLE_ID, CHECK_ID, CONTENT, STS, CRP_BS_NODE, CRP_BOOKMARK, CPT_NODE_ID, CHECK_ORI) VALUES
(1, '0', 1, '投标人具有独立承担民事责任的能力', 'V', 0, 'BM_FORM_QUAL', 37, '资格性检查'),
(1, '0', 2, '投标人具有良好的商业信誉和健全的财务会计制度', 'V', 0, 'BM_FORM_QUAL', 37, '资格性检查'),
(1, '0', 3, '投标人具有履行合同所必需的设备和专业技术能力', 'V', 0, 'BM_FORM_QUAL', 37, '资格性检查'),
(1, '0', 4, '投标人有依法缴纳税收和社会保障资金的良好记录', 'V', 0, NULL, 37, '资格性检查'),
(1, '0', 5, '参加政府采购活动前三年内，在经营活动中没有重大违法记录', 'V', 0, 'BM_FORM_QUAL', 37, '资格性检查'),
(1, '0', 6, '投标文件已按招标文件要求签署、盖章', 'V', 0, 'BM_FORM_LETTER', 34, '符合性检查'),
(1, '0', 7, '投标报价≤采购预算 & 交货期<90天 & 质保期>1年', 'V', 0, 'BM_FORM_PRICE', 35, '符合性检查'),
(1, '0', 8, '投标产品须具有节能产品认证（采购人已取消）', 'I', 0, NULL, 0, '符合性检查');

INSERT INTO T_GRADE_INGREDIENT (GRADE_ITEM_ID, PROJECT_ID, CONTENT, REMARK, SCALE, STS, ITEM_FLAG) VALUES
(1, 1, '价格分', '满足招标文件要求且投标价格最低的投标报价为评标基准价，其价格分为满分', 30, 'V', 'P'),
(2, 1, '技术分', NULL, 50, 'V', 'T'),
(3, 1, '商务分', '含业绩、售后服务等', 20, 'V', 'B'),
(4, 1, '节能环保分', '采购人已取消', NULL, 'I', 'B');

-- CRP_INGREDIENT_ID names the template factor each factor was taken from.
INSERT INTO T_GRADE_INGREDIENT_DETAIL (INGREDIENT_ID, GRADE_ITEM_ID, NAME, GRADE_MODE_ID, REMARK, SCALE, STS, INGREDIENT_USER_DATE, CRP_BS_NODE, CRP_BOOKMARK, CRP_NODE_ID, CRP_INGREDIENT_ID) VALUES
(1, 1, '评标基准价得分', 2, '价格分＝（评标基准价／投标报价）×30', 30, 'V', '2026-01-12', 0, 'BM_EVAL_PRICE', 22, 1),
(2, 1, '小微企业价格扣除', 2, '小型和微型企业产品给予10%的价格扣除', NULL, 'V', '2026-01-12', 0, 'BM_EVAL_PRICE', 22, 2),
(3, 2, '技术参数响应程度', 2, '带★号参数不满足的作无效投标处理', 30, 'V', '2026-01-12', 0, 'BM_REQ_PARAMS', 26, 3),
(4, 2, '产品质量及性能', 1, NULL, 10, 'V', '2026-01-12', 0, 'BM_EVAL_TECH', 23, 4),
(5, 2, '供货及安装实施方案', 1, '由评标委员会根据方案完整性评分', 10, 'V', '2026-01-13', 0, 'BM_EVAL_TECH', 23, 5),
(6, 3, '同类项目业绩', 2, '近三年同类项目业绩', 10, 'V', '2026-01-13', 0, 'BM_EVAL_TECH', 23, 6),
(7, 3, '售后服务承诺', 1, NULL, 10, 'V', NULL, 0, NULL, 23, 7),
(8, 4, '节能产品认证', 2, NULL, 5, 'V', '2026-01-13', 0, NULL, 0, 0);

INSERT INTO T_AUTO_GRADE_DETAILS (AUTO_GRADE_ID, INGREDIENT_ID, UNIT, MARK, UPPER_LIMIT, QIALEFICATION, STS) VALUES
(1, 1, '%', 30, '30', 100, 'V'),
(2, 1, '%', -0.5, NULL, 1, 'V'),
(3, 2, '%', 10, '10', 0, 'V'),
(4, 3, '项', -2, '30', 0, 'V'),
(5, 6, '个', 2, '10', 0, 'V'),
(6, 8, '项', 5, '5', 0, 'V');

INSERT INTO TJ_OPEN_BID_DETAILS (PROJECT_ID, BUNDLE_ID, BAIL, REMARK, ENGIN_NAME, FINISH_DATE, GOOD_NAME, DELIVERY_DATE, AMOUNT, BID_SUM_PRICE, SPEC, MAKE_FACTORY, STS, TBS_REMARK, SUPPLY_ID, SUPPLY_Company_Name, REG_SUM_TYPE) VALUES
(1, '0', 20000, NULL, NULL, NULL, '台式计算机', '合同签订后30日内', 120, 588000, '酷睿i5／16GB／512GB固态硬盘／23.8英寸显示器', '华星电脑制造有限公司', 'V', '含三年原厂上门保修', 1, '北京华信科技有限公司', 1),
(1, '0', 20000, NULL, NULL, NULL, '笔记本电脑', '合同签订后30日内', 40, 236000, '酷睿i7／16GB／1TB固态硬盘／14英寸', '东方智能终端有限公司', 'V', NULL, 2, '上海东联信息技术有限公司', 1),
(1, '0', 20000, '报价含安装', NULL, NULL, 'A3彩色激光打印机', '合同签订后20日内', 15, 97500, 'A3／彩色／双面／网络打印', '南方办公设备制造有限公司', 'V', '', 3, '广州南方办公设备有限公司', 1);
