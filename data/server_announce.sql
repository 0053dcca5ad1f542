-- Every change to the tables is announced on the channel verolan, the payload
-- naming the table, so that the other copies of the program read their lists
-- again; writes by other tools (imports, restores, psql) are announced alike.
-- One announcement a statement: a commit of many rows gives few. Run when the
-- tables are made, and on a database made before it; each step may run again.

-- A trigger not there to drop is no news to print.
SET LOCAL client_min_messages = warning;

-- The function on one line: the script is cut into statements at semicolons ending a line.
CREATE OR REPLACE FUNCTION verolan_announce() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN PERFORM pg_notify('verolan', TG_TABLE_NAME); RETURN NULL; END $$;

DROP TRIGGER IF EXISTS verolan_announce ON qv_zr_projects;
CREATE TRIGGER verolan_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON qv_zr_projects
  FOR EACH STATEMENT EXECUTE FUNCTION verolan_announce();
DROP TRIGGER IF EXISTS verolan_announce ON qv_zr_tst_cases;
CREATE TRIGGER verolan_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON qv_zr_tst_cases
  FOR EACH STATEMENT EXECUTE FUNCTION verolan_announce();
DROP TRIGGER IF EXISTS verolan_announce ON Tqvjx_companydetails;
CREATE TRIGGER verolan_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON Tqvjx_companydetails
  FOR EACH STATEMENT EXECUTE FUNCTION verolan_announce();
DROP TRIGGER IF EXISTS verolan_announce ON qv_zr_tst_history;
CREATE TRIGGER verolan_announce AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON qv_zr_tst_history
  FOR EACH STATEMENT EXECUTE FUNCTION verolan_announce();
