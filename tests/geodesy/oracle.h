#pragma once
// PROJ's command-line tools as the oracle of the geodesy tests: cct for
// coordinate operations, proj -V for grid convergence and point scale.
#include <string>
#include <vector>

namespace oracle {

// One line of cct output: up to four numbers (x, y, z, t).
using Row = std::vector<double>;

// Runs `cct -d 10 <operation...>` on the given input rows ("x y z t" each) and
// returns one row per input row; an empty result (and a test failure) when cct
// cannot run or answers a different number of lines.
std::vector<Row> Cct(const std::string& operation, const std::vector<Row>& input);

struct Factors {
  double pointScale = 0;   // parallel scale k
  double convergence = 0;  // degrees, PROJ's sign: positive east of the central meridian in the north
};
// Runs `proj -V <projection>` on longitude / latitude pairs (degrees).
std::vector<Factors> ProjFactors(const std::string& projection, const std::vector<Row>& lonLat);

// "%.17g": a number as an operator parameter, without loss.
std::string Num(double v);

}  // namespace oracle
