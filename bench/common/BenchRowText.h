#pragma once

#include <QString>

// A result row as a query thread formats it, for benchmarks that feed a store without a
// driver: id, a 20-character name, an amount, a date and a note that is NULL (empty) every
// tenth row. `amountOffset` changes the amount, for a row that is to differ.
QString BenchRowText(int id, int amountOffset = 0);
