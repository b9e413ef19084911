0;
DELETE FROM t -- remove ; only id 1
WHERE id = 1 ;
UPDATE t SET n='x' /* row 2 ; see */ WHERE id = 2 ;
SELECT 'a ; b', 'it''s ; x', 'O\'B ; y' AS "q ; r" ;
