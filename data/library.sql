-- What every installation starts with: the look-up tables, and the library
-- skeleton: the root that saved templates hang under and one category per
-- project type. Their numbers are the same in every installation, because a
-- library package refers to the categories by number and an import keeps
-- those references as they are.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(1, 1, 0, '招标文件范本库', 'V', 1, 0, 0, NULL, 1, 0),
(2, 2, 1, '货物类', 'V', 10, 0, 0, NULL, 1, 1),
(3, 2, 1, '工程类', 'V', 11, 0, 0, NULL, 2, 2),
(4, 2, 1, '服务类', 'V', 12, 0, 0, NULL, 3, 3);

-- Resources 1 to 20 are the system's: a library export leaves them out, so
-- a template numbered there could never be passed on. This row carries
-- nothing but its numbers (no document, never listed) and makes every
-- largest-plus-one numbering of templates start at 21.
INSERT INTO T_RESOURCE_TREE (NODE_ID, RESOURCE_ID) VALUES (5, 20);

INSERT INTO T_PROJECT_TYPE (TYPE_ID, TYPE_NAME) VALUES
(1, '货物类'),
(2, '工程类'),
(3, '服务类');

-- The invalidated rows come first on purpose: a look-up that forgets the
-- sts filter reads the wrong judge_way.
INSERT INTO t_promode_judge (promode_id, appraise_mode, judge_way, sts) VALUES
(3, '性价比法', 9, 'I'),
(1, '综合评分法', 1, 'V'),
(1, '最低评标价法', 2, 'V'),
(1, '性价比法', 3, 'I'),
(2, '综合评分法', 1, 'V'),
(2, '最低评标价法', 2, 'V'),
(3, '综合评分法', 1, 'V'),
(3, '最低评标价法', 2, 'V'),
(3, '性价比法', 3, 'V'),
(4, '综合评分法', 1, 'V'),
(5, '最低评标价法', 2, 'V'),
(5, '综合评分法', 1, 'I'),
(6, '最低评标价法', 2, 'V');
