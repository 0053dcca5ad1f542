-- Every result saved, oldest first: the result columns of qv_zr_tst_cases under
-- the same names, the moment of the save (ISO 8601, local time with its
-- offset), the build tested (Null or empty: none given) and who saved it (the
-- server's user name, on a file the login name). Files made before it get it,
-- or its later columns, when a connection opens them.
CREATE TABLE IF NOT EXISTS qv_zr_tst_history (
  qv_zr_prjid           TEXT,
  qv_zr_tst_type        TEXT,
  qv_zr_component       TEXT,
  qv_zr_component_type  TEXT,
  qv_zr_tst_case_id     TEXT,
  qv_zr_pass            TEXT,
  qv_zr_rslt_act        TEXT,
  qv_zr_def_severity    TEXT,
  qv_zr_def_cat         TEXT,
  qv_zr_dt_tst          DATE,
  qv_zr_saved_at        TEXT,
  qv_zr_build           TEXT,
  qv_zr_saved_by        TEXT
);
-- The history of one test case, by its five-text key.
CREATE INDEX IF NOT EXISTS ix_history_case ON qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id);
-- The builds of a project, and the outcomes under each without reading the
-- rows themselves: a build comparison and the progress over time read every
-- result of a project.
CREATE INDEX IF NOT EXISTS ix_history_build ON qv_zr_tst_history (qv_zr_prjid, qv_zr_build, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, qv_zr_pass, qv_zr_dt_tst);
