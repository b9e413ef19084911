3;
CREATE FUNCTION f() RETURNS int AS $$ SELECT 1 ; $$ LANGUAGE sql ;
SELECT $1 ; SELECT a$b$ ; DO $body$ BEGIN ; END $body$ ;
/*!40101 SET x=1 */ ;
-- only a note ;
