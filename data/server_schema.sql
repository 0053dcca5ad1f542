-- The tables on a PostgreSQL server: the file's tables, column for column.
-- Every column is text, the date too (yyyy-mm-dd, as the file keeps it), and
-- compares byte by byte (collate "C") as on the file, so that lists sort and
-- keys match alike on both. The last column, rowid, numbers the rows in the
-- order they were stored, as the file's own row number does: the program's
-- SQL orders and finds rows by it on both.

CREATE TABLE qv_zr_projects (
  qv_zr_prjid       text COLLATE "C",
  qv_zr_prj_desc    text COLLATE "C",
  qv_zr_prj_type    text COLLATE "C",
  qv_zr_prj_size    text COLLATE "C",
  qv_zr_size_units  text COLLATE "C",
  qv_zr_closed      text COLLATE "C",
  rowid             bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);
CREATE INDEX ix_projects_prjid ON qv_zr_projects (qv_zr_prjid);

CREATE TABLE qv_zr_tst_cases (
  qv_zr_prjid           text COLLATE "C",
  qv_zr_tst_type        text COLLATE "C",
  qv_zr_component       text COLLATE "C",
  qv_zr_component_type  text COLLATE "C",
  qv_zr_tst_case_id     text COLLATE "C",
  qv_zr_tst_case_desc   text COLLATE "C",
  qv_zr_rslt_exp        text COLLATE "C",
  qv_zr_pass            text COLLATE "C",
  qv_zr_rslt_act        text COLLATE "C",
  qv_zr_def_severity    text COLLATE "C",
  qv_zr_def_cat         text COLLATE "C",
  qv_zr_dt_tst          text COLLATE "C",
  rowid                 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);
CREATE INDEX ix_cases_prj_type ON qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id);
CREATE INDEX ix_cases_prj_cmp ON qv_zr_tst_cases (qv_zr_prjid, qv_zr_component);

CREATE TABLE Tqvjx_companydetails (
  fqv_jx_companyname  text COLLATE "C",
  fqv_jx_address      text COLLATE "C",
  rowid               bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);

CREATE TABLE qv_zr_tst_history (
  qv_zr_prjid           text COLLATE "C",
  qv_zr_tst_type        text COLLATE "C",
  qv_zr_component       text COLLATE "C",
  qv_zr_component_type  text COLLATE "C",
  qv_zr_tst_case_id     text COLLATE "C",
  qv_zr_pass            text COLLATE "C",
  qv_zr_rslt_act        text COLLATE "C",
  qv_zr_def_severity    text COLLATE "C",
  qv_zr_def_cat         text COLLATE "C",
  qv_zr_dt_tst          text COLLATE "C",
  qv_zr_saved_at        text COLLATE "C",
  qv_zr_build           text COLLATE "C",
  qv_zr_saved_by        text COLLATE "C",
  rowid                 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY
);
CREATE INDEX ix_history_case ON qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id);
CREATE INDEX ix_history_build ON qv_zr_tst_history (qv_zr_prjid, qv_zr_build, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, qv_zr_tst_case_id, qv_zr_pass, qv_zr_dt_tst);
-- A project's builds in the order of their latest result (max(rowid) per
-- build), read from this index alone; without it the server walks its primary
-- key backwards through every later result, seconds on a large history.
CREATE INDEX ix_history_build_order ON qv_zr_tst_history (qv_zr_prjid, qv_zr_build, rowid);
