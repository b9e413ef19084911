SELECT name, price
FROM products
WHERE price > 10
;
SELECT count(*) FROM orders
