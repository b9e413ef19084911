#!/usr/bin/env bash
# Builds the database of one branch of the demo shop: customers, products and orders, with
# NULLs, a binary column and long text. The three branches share the schema and most rows; each
# differs from the others in a few of them, and only the two older ones keep returns.
# Usage: make-demo-db.sh DATABASE_FILE north|south|harbour
set -euo pipefail
db="${1:?usage: make-demo-db.sh DATABASE_FILE north|south|harbour}"
branch="${2:?usage: make-demo-db.sh DATABASE_FILE north|south|harbour}"
# Raised whenever the data below change, so that scripts/setup-demo.sh makes the file again.
version=2

case "$branch" in
north)
    differences="
INSERT INTO shop VALUES ('North', 'Kraków', '2019-04-01');
UPDATE products SET price = 24.5 WHERE id = 4;
UPDATE products SET title = 'Product 9 (discontinued)' WHERE id = 9;
UPDATE customers SET city = 'Wrocław' WHERE id IN (3, 8);
$(cat <<'SQL'
CREATE TABLE returns (
    order_id INTEGER PRIMARY KEY REFERENCES orders(id),
    returned_on DATE NOT NULL,
    reason VARCHAR(80)
);
INSERT INTO returns VALUES (17, '2021-03-04', 'wrong size'), (230, '2021-03-09', NULL),
    (1204, '2021-03-21', 'arrived broken');
SQL
)"
    ;;
south)
    differences="
INSERT INTO shop VALUES ('South', 'São Paulo', '2020-09-15');
UPDATE products SET price = 11.25 WHERE id = 2;
UPDATE products SET price = price + 3 WHERE id = 13;
DELETE FROM orders WHERE id > 4990;
$(cat <<'SQL'
CREATE TABLE returns (
    order_id INTEGER PRIMARY KEY REFERENCES orders(id),
    returned_on DATE NOT NULL,
    reason VARCHAR(80)
);
INSERT INTO returns VALUES (42, '2021-03-05', 'changed my mind'), (988, '2021-03-12', 'late');
SQL
)"
    ;;
harbour)
    # The newest branch: it does not book returns yet.
    differences="
INSERT INTO shop VALUES ('Harbour', 'Amsterdam', '2023-02-20');
UPDATE products SET price = 9.99 WHERE id = 7;
INSERT INTO customers VALUES (2001, 'Noor de Vries 2001', 'Amsterdam', 'noor@example.org', '2023-02-20');
"
    ;;
*)
    echo "make-demo-db.sh: no branch '$branch' (north, south or harbour)" >&2
    exit 2
    ;;
esac

tmp="$db.tmp.$$"
rm -f "$tmp"
trap 'rm -f "$tmp"' EXIT
sqlite3 "$tmp" >/dev/null <<SQL
PRAGMA journal_mode = OFF;
BEGIN;
CREATE TABLE shop (
    name VARCHAR(40) NOT NULL,
    city VARCHAR(40) NOT NULL,
    opened DATE NOT NULL
);
CREATE TABLE customers (
    id INTEGER PRIMARY KEY,
    name VARCHAR(60) NOT NULL,
    city VARCHAR(40),
    email VARCHAR(80),
    created DATE
);
CREATE TABLE products (
    id INTEGER PRIMARY KEY,
    title VARCHAR(80) NOT NULL,
    price REAL NOT NULL,
    description TEXT,
    picture LONGVARBINARY
);
CREATE TABLE orders (
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    product_id INTEGER NOT NULL REFERENCES products(id),
    quantity INTEGER NOT NULL,
    ordered_at TIMESTAMP NOT NULL,
    note VARCHAR(200)
);

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO customers
SELECT i,
       CASE i % 7 WHEN 0 THEN 'Zoë Åberg ' WHEN 1 THEN 'Jürgen Groß ' WHEN 2 THEN 'Ana Peña '
                  WHEN 3 THEN 'Søren Ødegård ' WHEN 4 THEN 'Chloé Lefèvre ' WHEN 5 THEN 'Ελένη Παππά '
                  ELSE 'Bob Smith ' END || i,
       CASE WHEN i % 10 = 0 THEN NULL ELSE
           CASE i % 5 WHEN 0 THEN 'Amsterdam' WHEN 1 THEN 'München' WHEN 2 THEN 'São Paulo'
                      WHEN 3 THEN 'Kraków' ELSE 'Αθήνα' END END,
       CASE WHEN i % 13 = 0 THEN NULL ELSE 'customer' || i || '@example.org' END,
       date('2020-01-01', '+' || (i % 1500) || ' days')
FROM n;

-- The pictures are made from the row number, not at random, so that they agree in every branch.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO products
SELECT i,
       'Product ' || i || CASE i % 4 WHEN 0 THEN ' (deluxe)' ELSE '' END,
       round(1.5 + (i * 37 % 1000) / 7.0, 2),
       CASE WHEN i % 9 = 0 THEN NULL
            ELSE 'A long description of product ' || i || ': ' || replace(hex(zeroblob(60 + i % 40)), '00', 'lorem ipsum ') END,
       CASE WHEN i % 3 = 0 THEN NULL
            ELSE CAST(substr(replace(hex(zeroblob(40)), '0', char(65 + i % 26)), 1, 16 + i % 64) AS BLOB) END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)
INSERT INTO orders
SELECT i,
       1 + (i * 7919) % 2000,
       1 + (i * 104729) % 300,
       1 + i % 12,
       datetime('2021-03-01 08:00:00', '+' || (i * 17) || ' minutes'),
       CASE WHEN i % 4 = 0 THEN NULL WHEN i % 4 = 1 THEN 'gift wrap' ELSE 'deliver	after 5pm' END
FROM n;
$differences
PRAGMA user_version = $version;
COMMIT;
SQL
mv "$tmp" "$db"
trap - EXIT
