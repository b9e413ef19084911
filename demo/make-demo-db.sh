#!/usr/bin/env bash
# Builds the demo SQLite database: a few tables with a few thousand rows, NULLs,
# a binary column and long text. Usage: make-demo-db.sh DATABASE_FILE
set -euo pipefail
db="${1:?usage: make-demo-db.sh DATABASE_FILE}"
tmp="$db.tmp.$$"
rm -f "$tmp"
trap 'rm -f "$tmp"' EXIT
sqlite3 "$tmp" >/dev/null <<'SQL'
PRAGMA journal_mode = OFF;
BEGIN;
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

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)
INSERT INTO products
SELECT i,
       'Product ' || i || CASE i % 4 WHEN 0 THEN ' (deluxe)' ELSE '' END,
       round(1.5 + (i * 37 % 1000) / 7.0, 2),
       CASE WHEN i % 9 = 0 THEN NULL
            ELSE 'A long description of product ' || i || ': ' || replace(hex(zeroblob(60 + i % 40)), '00', 'lorem ipsum ') END,
       CASE WHEN i % 3 = 0 THEN NULL ELSE randomblob(16 + i % 64) END
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
COMMIT;
SQL
mv "$tmp" "$db"
trap - EXIT
