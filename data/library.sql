-- The library skeleton every installation starts with: the root that saved
-- templates hang under and one category per project type. Their numbers are
-- the same in every installation, because a library package refers to the
-- categories by number and an import keeps those references as they are.
INSERT INTO T_RESOURCE_TREE (NODE_ID, LAYER_ID, PARENT_NOED_ID, NODE_NAME, STS, TYPE_ID, RESOURCE_TYPE_ID, RESOURCE_ID, Bookmarks_Name, NODE_ORDER, PROJECT_TYPE) VALUES
(1, 1, 0, '招标文件范本库', 'V', 1, 0, 0, NULL, 1, 0),
(2, 2, 1, '货物类', 'V', 10, 0, 0, NULL, 1, 1),
(3, 2, 1, '工程类', 'V', 11, 0, 0, NULL, 2, 2),
(4, 2, 1, '服务类', 'V', 12, 0, 0, NULL, 3, 3);
