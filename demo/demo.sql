-- Tessella demo: three branches of one shop, North, South and Harbour, each with a database
-- of its own behind an ODBC data source. This document holds a connection to each, so one
-- Run (Alt+R) runs every batch below on all three at once, and each branch's rows stand under
-- its own title row in "All Results". A batch ends at a semicolon standing between blanks.
-- Select a part of the text to run only that part; untick a connection to leave it out.

SELECT name AS branch, city, opened FROM shop ;

SELECT count(*) AS customers,
       (SELECT count(*) FROM orders) AS orders,
       (SELECT round(sum(o.quantity * p.price), 2)
        FROM orders o JOIN products p ON p.id = o.product_id) AS turnover
FROM customers ;

-- Only North and South book returns: on Harbour this batch fails with the driver's message,
-- in Harbour's group alone, and the batches after it still run there.
SELECT order_id, returned_on, reason FROM returns ORDER BY returned_on ;

-- ==== Comparison =========================================================
-- The same price list on every branch, but for a few products: pick this batch on the
-- "Result Sets" tab, choose id as the key and press Compare to see which prices differ
-- where (or run `tessella-run --compare --key id demo/demo.tsl`).

SELECT id, title, price FROM products WHERE id <= 15 ORDER BY id ;

-- ==== End of the comparison ==============================================

SELECT p.title, p.price, count(o.id) AS orders, sum(o.quantity) AS pieces
FROM products p LEFT JOIN orders o ON o.product_id = p.id
GROUP BY p.id
ORDER BY pieces DESC, p.id
LIMIT 10 ;

SELECT id, title, description, picture FROM products WHERE id <= 10 ;

SELECT city, count(*) AS customers FROM customers GROUP BY city ORDER BY city ;

UPDATE orders SET note = note WHERE id <= 100 ;

SELECT o.id, c.name, p.title, o.quantity, o.ordered_at, o.note
FROM orders o
JOIN customers c ON c.id = o.customer_id
JOIN products p ON p.id = o.product_id
ORDER BY o.id
LIMIT 100 ;
