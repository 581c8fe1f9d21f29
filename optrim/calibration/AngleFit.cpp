#include "optrim/calibration/AngleFit.h"

#include <array>
#include <cmath>
#include <vector>

namespace kv {
namespace {

struct Row {
  std::array<double, 3> c{};
  double value = 0.0;
};

Row operator-(const Row& a, const Row& b) {
  Row r;
  for (int k = 0; k < 3; ++k) r.c[k] = a.c[k] - b.c[k];
  r.value = a.value - b.value;
  return r;
}

Row operator+(const Row& a, const Row& b) {
  Row r;
  for (int k = 0; k < 3; ++k) r.c[k] = a.c[k] + b.c[k];
  r.value = a.value + b.value;
  return r;
}

Row operator*(const Row& a, double s) {
  Row r;
  for (int k = 0; k < 3; ++k) r.c[k] = a.c[k] * s;
  r.value = a.value * s;
  return r;
}

struct PointRows {
  Row x;
  Row y;
};

// The two linearised equations of one point: the correction each delta adds to x and y.
PointRows RowsOf(const CalcPoint& p, double baseL, int32_t xOffset) {
  double x = p.x, y = p.y;
  double u = x - xOffset;
  double f = (baseL + 1.0) / 2.0 + u;
  double g = baseL - f;
  double h = f * f + y * y;
  double l = y * y + g * g;
  PointRows r;
  r.x.c = {h * g / y / baseL, -l * f / y / baseL, y};
  r.x.value = -u;
  r.y.c = {-h / baseL, -l / baseL, -u};
  r.y.value = -y;
  return r;
}

double Det3(const std::array<std::array<double, 3>, 3>& a) {
  return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
         a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
         a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

}  // namespace

int CAngleFit::Fit(const CalcGrid& m, uint32_t baseL, int32_t xOffset, AngleDeltas* deltas) {
  const int nx = m.columns;
  const int ny = m.rows;
  if (baseL == 0 || nx < 1 || ny < 1) return kFitFailed;
  // Every coefficient divides by y; a point on the baseline gives no equation.
  if (m.At(0, 0).y == 0 || m.At(ny, nx).y == 0 || m.At(ny, 0).y == 0) return kFitFailed;
  for (int k = 1; k <= nx; ++k) {
    if (m.At(0, k).y == 0) return kFitFailed;
  }
  const double b = baseL;
  PointRows p00 = RowsOf(m.At(0, 0), b, xOffset);
  PointRows p11 = RowsOf(m.At(ny, nx), b, xOffset);
  PointRows p10 = RowsOf(m.At(ny, 0), b, xOffset);
  PointRows p01 = RowsOf(m.At(0, nx), b, xOffset);

  std::vector<Row> rows;
  rows.reserve(4 + 2 * static_cast<size_t>(nx));
  rows.push_back(p10.x - p00.x);  // left column vertical
  rows.push_back(p10.y - p11.y);  // bottom row horizontal
  rows.push_back(p01.x - p11.x);  // right column vertical
  rows.push_back(p01.y - p00.y);  // top row horizontal
  for (int k = 1; k < nx; ++k) {
    PointRows pk = RowsOf(m.At(0, k), b, xOffset);
    rows.push_back(pk.x - (p00.x + (p11.x - p00.x) * (static_cast<double>(k) / nx)));
    rows.push_back(pk.y - p00.y);
  }

  std::array<std::array<double, 3>, 3> normal{};
  std::array<double, 3> rhs{};
  for (const Row& r : rows) {
    for (int a = 0; a < 3; ++a) {
      for (int c = 0; c < 3; ++c) normal[a][c] += r.c[a] * r.c[c];
      rhs[a] += r.c[a] * r.value;
    }
  }
  double det = Det3(normal);
  if (!std::isfinite(det) || std::fabs(det) < kMinDeterminant) return kFitFailed;

  // Cramer's rule: replace one column by the right-hand side at a time.
  std::array<double, 3> solution{};
  for (int k = 0; k < 3; ++k) {
    auto a = normal;
    for (int r = 0; r < 3; ++r) a[r][k] = rhs[r];
    solution[k] = Det3(a) / det;
    if (!std::isfinite(solution[k])) return kFitFailed;
  }
  deltas->dDeltaL = solution[0];
  deltas->dDeltaR = solution[1];
  deltas->dDeltaD = solution[2];
  int status = 0;
  if (std::fabs(solution[0]) > 1.0) status |= kLargeDeltaL;
  if (std::fabs(solution[1]) > 1.0) status |= kLargeDeltaR;
  if (std::fabs(solution[2]) > 1.0) status |= kLargeDeltaD;
  return status;
}

}  // namespace kv
