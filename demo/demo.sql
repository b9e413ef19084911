-- Tessella demo: each batch ends at a semicolon standing between blanks.
-- Run it with Alt+R. Select a part of the text to run only that part.

SELECT count(*) AS customers FROM customers ;

SELECT id, name, city, email, created
FROM customers
WHERE id <= 25
ORDER BY id ;

SELECT p.title, p.price, count(o.id) AS orders, sum(o.quantity) AS pieces
FROM products p LEFT JOIN orders o ON o.product_id = p.id
GROUP BY p.id
ORDER BY pieces DESC
LIMIT 15 ;

SELECT id, title, description, picture FROM products WHERE id <= 10 ;

SELECT city, count(*) AS customers FROM customers GROUP BY city ORDER BY city ;

UPDATE orders SET note = note WHERE id <= 100 ;

SELECT o.id, c.name, p.title, o.quantity, o.ordered_at, o.note
FROM orders o
JOIN customers c ON c.id = o.customer_id
JOIN products p ON p.id = o.product_id
ORDER BY o.id ;

SELECT * FROM no_such_table
