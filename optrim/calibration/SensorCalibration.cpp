#include "optrim/calibration/SensorCalibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "optrim/calibration/GridChecks.h"
#include "optrim/calibration/MulDiv.h"
#include "optrim/calibration/TextFormat.h"

namespace kv {
namespace {

bool ToInt32(double v, int32_t* out) {
  // Written so that NaN fails as well.
  if (!(v >= -2147483648.0 && v < 2147483648.0)) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool FitsS16(int64_t v) { return v >= INT16_MIN && v <= INT16_MAX; }

// Screen coordinates run 0..65535 and are stored as their low 16 bits.
int16_t Low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }

std::string Num(int64_t v) { return std::to_string(v); }

}  // namespace

CSensorCalibration::CSensorCalibration(const CStringTable& strings, int32_t xOffset)
    : m_strings(strings), m_iXOffset(xOffset) {}

void CSensorCalibration::SetAngle(int bAngleEnb, uint32_t baseL, const AngleDeltas& deltas) {
  m_angle.bAngleEnb = bAngleEnb != 0 ? 1 : 0;
  m_angle.baseL = baseL;
  m_angle.deltas = deltas;
}

void CSensorCalibration::SetPreciseTable(const CalPreciseParam& table) {
  m_precise = CalcGrid{};
  m_precise.columns = std::min<int>(table.nx1, kMaxPreciseCells);
  m_precise.rows = std::min<int>(table.ny1, kMaxPreciseCells);
  for (int j = 0; j <= m_precise.rows; ++j) {
    for (int i = 0; i <= m_precise.columns; ++i) {
      m_precise.At(j, i) = CalcPoint{table.At(j, i).x, table.At(j, i).y};
    }
  }
}

int CSensorCalibration::ApplyAngle(CalcPoint* p) const {
  if (p->y == 0) return CAL_OK;
  if (m_angle.baseL == 0) return CAL_ERR_ZERO_SPAN;
  const double a = m_angle.deltas.dDeltaL, b = m_angle.deltas.dDeltaR, d = m_angle.deltas.dDeltaD;
  const double base = m_angle.baseL;
  const double x = p->x, y = p->y;
  const double u = x - m_iXOffset;
  const double f = (base + 1.0) / 2.0 + u;
  const double g = base - f;
  const double h = f * f + y * y;
  const double l = y * y + g * g;
  CalcPoint r;
  if (!ToInt32(std::floor(x + a * h * g / (y * base) - b * f * l / (y * base) + y * d + 0.5), &r.x) ||
      !ToInt32(std::floor(y - a * h / base - b * l / base - d * u + 0.5), &r.y)) {
    return CAL_ERR_OUT_OF_RANGE;
  }
  *p = r;
  return CAL_OK;
}

int CSensorCalibration::ApplyPrecise(CalcPoint* p) const {
  const CalcGrid& t = m_precise;
  const int nx = t.columns, ny = t.rows;
  if (nx < 1 || ny < 1) return CAL_ERR_ZERO_SPAN;
  const int64_t spanX = int64_t{t.Last().x} - t.First().x;
  const int64_t spanY = int64_t{t.Last().y} - t.First().y;
  if (spanX == 0 || spanY == 0) return CAL_ERR_ZERO_SPAN;
  // The products in integers first, then the division in floating point.
  const double s = static_cast<double>((int64_t{p->x} - t.First().x) * nx) / static_cast<double>(spanX);
  const double tt = static_cast<double>(ny * (int64_t{p->y} - t.First().y)) / static_cast<double>(spanY);
  // The cell index is clamped, the fraction is not: points outside extrapolate the edge cell.
  const int e = static_cast<int>(std::clamp(std::floor(s), 0.0, static_cast<double>(nx - 1)));
  const int g = static_cast<int>(std::clamp(std::floor(tt), 0.0, static_cast<double>(ny - 1)));
  const double fx = s - e, fy = tt - g;
  const CalcPoint& q00 = t.At(g, e);
  const CalcPoint& q01 = t.At(g, e + 1);
  const CalcPoint& q11 = t.At(g + 1, e + 1);
  const CalcPoint& q10 = t.At(g + 1, e);
  const double x = (1 - fx) * (1 - fy) * q00.x + fx * (1 - fy) * q01.x + fx * fy * q11.x + (1 - fx) * fy * q10.x;
  const double y = (1 - fx) * (1 - fy) * q00.y + fx * (1 - fy) * q01.y + fx * fy * q11.y + (1 - fx) * fy * q10.y;
  CalcPoint r;
  if (!ToInt32(std::floor(x), &r.x) || !ToInt32(std::floor(y), &r.y)) return CAL_ERR_OUT_OF_RANGE;
  *p = r;
  return CAL_OK;
}

bool CSensorCalibration::LoadMeasured(std::span<const DevPoint> measured, int stride, int columns,
                                      int rows, CalcGrid* grid) {
  if (measured.size() < static_cast<size_t>(rows * stride + columns + 1)) return false;
  grid->columns = columns;
  grid->rows = rows;
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      const DevPoint& d = measured[static_cast<size_t>(j * stride + i)];
      grid->At(j, i) = CalcPoint{d.x, d.y};
    }
  }
  return true;
}

CSensorCalibration::Outcome CSensorCalibration::Fail(int code, std::string detail) const {
  Outcome o;
  o.code = code;
  o.detail = std::move(detail);
  return o;
}

CSensorCalibration::Outcome CSensorCalibration::CheckGrid(const CalcGrid& m, bool withDeviation,
                                                          CalcGrid* linear) const {
  *linear = LinearGrid(m);
  Outcome o;
  o.code = CheckOrder(m, &o.nodes);
  if (o.code == CAL_ERR_X_ORDER) return Fail(o.code, m_strings.Get(CalStrings::kDetailXOrder));
  if (o.code == CAL_ERR_Y_ORDER) return Fail(o.code, m_strings.Get(CalStrings::kDetailYOrder));
  if (o.code == CAL_OK && withDeviation) o.code = CheckDeviation(m, *linear, &o.nodes);
  if (o.code != CAL_OK) o.detail = NodeListText(m_strings, m, o.nodes);
  return o;
}

CSensorCalibration::Outcome CSensorCalibration::ApplyToGrid(CalcGrid* m, bool angle, bool precise) const {
  if (angle && m_angle.baseL == 0) return Fail(CAL_ERR_ZERO_SPAN, m_strings.Get(CalStrings::kDetailBaseline));
  if (precise) {
    const CalcGrid& t = m_precise;
    if (t.Last().x == t.First().x) return Fail(CAL_ERR_ZERO_SPAN, m_strings.Get(CalStrings::kDetailTableWidth));
    if (t.Last().y == t.First().y) return Fail(CAL_ERR_ZERO_SPAN, m_strings.Get(CalStrings::kDetailTableHeight));
  }
  for (int j = 0; j <= m->rows; ++j) {
    for (int i = 0; i <= m->columns; ++i) {
      CalcPoint p = m->At(j, i);
      int code = angle ? ApplyAngle(&p) : CAL_OK;
      if (code == CAL_OK && precise) code = ApplyPrecise(&p);
      if (code != CAL_OK) {
        return Fail(code, FormatText(m_strings.Get(CalStrings::kDetailNodeRange), {Num(i), Num(j)}));
      }
      m->At(j, i) = p;
    }
  }
  return Outcome{};
}

CSensorCalibration::Outcome CSensorCalibration::StoreDeltas(CalAngleParam* angle) const {
  const double values[3] = {m_angle.deltas.dDeltaL, m_angle.deltas.dDeltaR, m_angle.deltas.dDeltaD};
  int16_t stored[3] = {};
  for (int k = 0; k < 3; ++k) {
    // Truncation toward zero; a delta the s16 field cannot hold is reported, not wrapped.
    double scaled = std::trunc(values[k] * kAngleFactor);
    if (!(scaled >= INT16_MIN && scaled <= INT16_MAX)) {
      char text[3][32];
      for (int n = 0; n < 3; ++n) std::snprintf(text[n], sizeof text[n], "%f", values[n]);
      return Fail(CAL_ERR_DELTA_L + k,
                  FormatText(m_strings.Get(CalStrings::kDetailDeltas), {text[0], text[1], text[2]}));
    }
    stored[k] = static_cast<int16_t>(scaled);
  }
  angle->bAngleEnb = static_cast<uint8_t>(m_angle.bAngleEnb);
  angle->deltaL = stored[0];
  angle->deltaR = stored[1];
  angle->deltaD = stored[2];
  return Outcome{};
}

int CSensorCalibration::PreciseCalibration(int nx1, int ny1, int nx2, int ny2, int bAngleEnb,
                                           uint32_t baseL, const CalMargins& preciseMargins,
                                           const CalMargins& basicMargins,
                                           std::span<const DevPoint> measured, SensorCalBlock* block,
                                           int* errorCount, std::vector<GridNode>* errorList,
                                           std::string* message) {
  const AngleState savedAngle = m_angle;
  const CalcGrid savedPrecise = m_precise;
  const int savedFit = m_iFitStatus;
  CalcGrid m;
  Outcome o;
  if (block == nullptr || nx1 < 1 || nx1 > kMaxPreciseCells || ny1 < 1 || ny1 > kMaxPreciseCells ||
      nx2 < 1 || nx2 > kMaxBasicCells || ny2 < 1 || ny2 > kMaxBasicCells || baseL == 0 ||
      !LoadMeasured(measured, kPreciseStride, nx1, ny1, &m)) {
    o = Fail(CAL_ERR_PARAMETER, std::string());
  } else {
    SensorCalBlock out;
    m_angle.bAngleEnb = bAngleEnb != 0 ? 1 : 0;
    m_angle.baseL = baseL;
    o = PreciseSteps(nx2, ny2, preciseMargins, basicMargins, &m, &out);
    if (o.code == CAL_OK) {
      *block = out;
      SetPreciseTable(out.precise);
      TraceBlock(out, {preciseMargins, basicMargins});
    }
  }
  if (o.code != CAL_OK) {
    m_angle = savedAngle;
    m_precise = savedPrecise;
    m_iFitStatus = savedFit;
  }
  return Finish(o, errorCount, errorList, message);
}

CSensorCalibration::Outcome CSensorCalibration::PreciseSteps(int nx2, int ny2,
                                                             const CalMargins& pm,
                                                             const CalMargins& basicMargins,
                                                             CalcGrid* m, SensorCalBlock* out) {
  CalcGrid l;
  Outcome o = CheckGrid(*m, true, &l);
  if (o.code != CAL_OK) return o;
  if (m_angle.bAngleEnb) {
    // A failed fit keeps the deltas this object holds; the calibration goes on.
    m_iFitStatus = CAngleFit::Fit(*m, m_angle.baseL, m_iXOffset, &m_angle.deltas);
    if ((o = ApplyToGrid(m, true, false)).code != CAL_OK) return o;
    if ((o = CheckGrid(*m, true, &l)).code != CAL_OK) return o;
  }
  if ((o = StoreDeltas(&out->angle)).code != CAL_OK) return o;

  const int nx1 = m->columns, ny1 = m->rows;
  out->precise.nx1 = static_cast<uint8_t>(nx1);
  out->precise.ny1 = static_cast<uint8_t>(ny1);
  for (int j = 0; j <= ny1; ++j) {
    for (int i = 0; i <= nx1; ++i) {
      const int im = std::max(i - 1, 0), ip = std::min(i + 1, nx1);
      const int jm = std::max(j - 1, 0), jp = std::min(j + 1, ny1);
      const CalcPoint& lp = l.At(j, i);
      const CalcPoint& mp = m->At(j, i);
      int32_t cx = 0, cy = 0;
      MulDivStatus sx = TryMulDiv(int64_t{lp.x} - mp.x, int64_t{l.At(j, ip).x} - l.At(j, im).x,
                                  int64_t{m->At(j, ip).x} - m->At(j, im).x, &cx);
      MulDivStatus sy = TryMulDiv(int64_t{lp.y} - mp.y, int64_t{l.At(jp, i).y} - l.At(jm, i).y,
                                  int64_t{m->At(jp, i).y} - m->At(jm, i).y, &cy);
      if (sx == MulDivStatus::ZERO_DIVISOR || sy == MulDivStatus::ZERO_DIVISOR) {
        return Fail(CAL_ERR_ZERO_SPAN, FormatText(m_strings.Get(CalStrings::kDetailNodeSpan), {Num(i), Num(j)}));
      }
      const int64_t x = int64_t{lp.x} + cx, y = int64_t{lp.y} + cy;
      if (sx != MulDivStatus::OK || sy != MulDivStatus::OK || !FitsS16(x) || !FitsS16(y)) {
        return Fail(CAL_ERR_OUT_OF_RANGE, FormatText(m_strings.Get(CalStrings::kDetailNodeRange), {Num(i), Num(j)}));
      }
      out->precise.At(j, i) = DevPoint{static_cast<int16_t>(x), static_cast<int16_t>(y)};
    }
  }

  return BasicFromPrecise(nx2, ny2, pm, basicMargins, *m, &out->basic);
}

CSensorCalibration::Outcome CSensorCalibration::BasicFromPrecise(int nx2, int ny2, const CalMargins& pm,
                                                                 const CalMargins& basicMargins,
                                                                 const CalcGrid& grid, CalBasicParam* basic) const {
  const CalcGrid* m = &grid;
  // The basic table maps the basic screen grid through the measured range of the precise
  // grid, scaled by the screen span the precise margins leave.
  const CalcGrid hi = ScreenGrid(nx2, ny2, basicMargins);
  const int64_t spanX = 65535 - int64_t{pm.x0} - pm.x1;
  const int64_t spanY = 65535 - int64_t{pm.y0} - pm.y1;
  if (spanX == 0) return Fail(CAL_ERR_ZERO_SPAN, m_strings.Get(CalStrings::kDetailScreenWidth));
  if (spanY == 0) return Fail(CAL_ERR_ZERO_SPAN, m_strings.Get(CalStrings::kDetailScreenHeight));
  const int64_t rangeX = int64_t{m->Last().x} - m->First().x;
  const int64_t rangeY = int64_t{m->Last().y} - m->First().y;
  DevPoint corners[2];
  const CalcPoint* screen[2] = {&hi.First(), &hi.Last()};
  const GridNode where[2] = {GridNode{0, 0}, GridNode{nx2, ny2}};
  for (int k = 0; k < 2; ++k) {
    int32_t cx = 0, cy = 0;
    MulDivStatus sx = TryMulDiv(int64_t{screen[k]->x} - pm.x0, rangeX, spanX, &cx);
    MulDivStatus sy = TryMulDiv(int64_t{screen[k]->y} - pm.y0, rangeY, spanY, &cy);
    const int64_t x = int64_t{m->First().x} + cx, y = int64_t{m->First().y} + cy;
    if (sx != MulDivStatus::OK || sy != MulDivStatus::OK || !FitsS16(x) || !FitsS16(y)) {
      return Fail(CAL_ERR_OUT_OF_RANGE, FormatText(m_strings.Get(CalStrings::kDetailNodeRange),
                                                   {Num(where[k].column), Num(where[k].row)}));
    }
    corners[k] = DevPoint{static_cast<int16_t>(x), static_cast<int16_t>(y)};
  }
  *basic = CalBasicParam{};
  basic->devMin = corners[0];
  basic->devMax = corners[1];
  basic->nx2 = static_cast<uint8_t>(nx2);
  basic->ny2 = static_cast<uint8_t>(ny2);
  for (int j = 0; j <= ny2; ++j) {
    for (int i = 0; i <= nx2; ++i) basic->At(j, i) = DevPoint{Low16(hi.At(j, i).x), Low16(hi.At(j, i).y)};
  }
  return Outcome{};
}

int CSensorCalibration::BasicCalibration(int nx2, int ny2, uint32_t baseL, const CalMargins& basicMargins,
                                         std::span<const DevPoint> measured, SensorCalBlock* block,
                                         int* errorCount, std::vector<GridNode>* errorList,
                                         std::string* message) {
  const AngleState savedAngle = m_angle;
  const CalcGrid savedPrecise = m_precise;
  CalcGrid b;
  Outcome o;
  if (block == nullptr || nx2 < 1 || nx2 > kMaxBasicCells || ny2 < 1 || ny2 > kMaxBasicCells ||
      baseL == 0 || block->precise.nx1 < 1 || block->precise.nx1 > kMaxPreciseCells ||
      block->precise.ny1 < 1 || block->precise.ny1 > kMaxPreciseCells ||
      !LoadMeasured(measured, kBasicStride, nx2, ny2, &b)) {
    o = Fail(CAL_ERR_PARAMETER, std::string());
  } else {
    SetAngle(block->angle.bAngleEnb, baseL,
             AngleDeltas{block->angle.deltaL / kAngleFactor, block->angle.deltaR / kAngleFactor,
                         block->angle.deltaD / kAngleFactor});
    SetPreciseTable(block->precise);
    SensorCalBlock out = *block;
    o = BasicSteps(nx2, ny2, basicMargins, &b, &out);
    if (o.code == CAL_OK) {
      *block = out;
      TraceBlock(out, {basicMargins});
    }
  }
  if (o.code != CAL_OK) {
    m_angle = savedAngle;
    m_precise = savedPrecise;
  }
  return Finish(o, errorCount, errorList, message);
}

CSensorCalibration::Outcome CSensorCalibration::BasicSteps(int nx2, int ny2, const CalMargins& basicMargins,
                                                           CalcGrid* b, SensorCalBlock* out) const {
  const CalcGrid h = ScreenGrid(nx2, ny2, basicMargins);
  CalcGrid l;
  Outcome o = CheckGrid(*b, false, &l);
  if (o.code != CAL_OK) return o;
  if ((o = ApplyToGrid(b, m_angle.bAngleEnb != 0, true)).code != CAL_OK) return o;
  if ((o = CheckGrid(*b, true, &l)).code != CAL_OK) return o;

  CalBasicParam basic;
  basic.nx2 = static_cast<uint8_t>(nx2);
  basic.ny2 = static_cast<uint8_t>(ny2);
  for (int j = 0; j <= ny2; ++j) {
    for (int i = 0; i <= nx2; ++i) {
      const int im = std::max(i - 1, 0), ip = std::min(i + 1, nx2);
      const int jm = std::max(j - 1, 0), jp = std::min(j + 1, ny2);
      int32_t cx = 0, cy = 0;
      MulDivStatus sx = TryMulDiv(int64_t{l.At(j, i).x} - b->At(j, i).x, int64_t{h.At(j, ip).x} - h.At(j, im).x,
                                  int64_t{b->At(j, ip).x} - b->At(j, im).x, &cx);
      MulDivStatus sy = TryMulDiv(int64_t{l.At(j, i).y} - b->At(j, i).y, int64_t{h.At(jp, i).y} - h.At(jm, i).y,
                                  int64_t{b->At(jp, i).y} - b->At(jm, i).y, &cy);
      if (sx == MulDivStatus::ZERO_DIVISOR || sy == MulDivStatus::ZERO_DIVISOR) {
        return Fail(CAL_ERR_ZERO_SPAN, FormatText(m_strings.Get(CalStrings::kDetailNodeSpan), {Num(i), Num(j)}));
      }
      if (sx != MulDivStatus::OK || sy != MulDivStatus::OK) {
        return Fail(CAL_ERR_OUT_OF_RANGE, FormatText(m_strings.Get(CalStrings::kDetailNodeRange), {Num(i), Num(j)}));
      }
      basic.At(j, i) = DevPoint{Low16(int64_t{h.At(j, i).x} + cx), Low16(int64_t{h.At(j, i).y} + cy)};
    }
  }
  const CalcPoint& first = b->First();
  const CalcPoint& last = b->Last();
  if (!FitsS16(first.x) || !FitsS16(first.y)) {
    return Fail(CAL_ERR_OUT_OF_RANGE, FormatText(m_strings.Get(CalStrings::kDetailNodeRange), {Num(0), Num(0)}));
  }
  if (!FitsS16(last.x) || !FitsS16(last.y)) {
    return Fail(CAL_ERR_OUT_OF_RANGE, FormatText(m_strings.Get(CalStrings::kDetailNodeRange), {Num(nx2), Num(ny2)}));
  }
  basic.devMin = DevPoint{static_cast<int16_t>(first.x), static_cast<int16_t>(first.y)};
  basic.devMax = DevPoint{static_cast<int16_t>(last.x), static_cast<int16_t>(last.y)};
  out->basic = basic;
  return Outcome{};
}

int CSensorCalibration::Finish(const Outcome& o, int* errorCount, std::vector<GridNode>* errorList,
                               std::string* message) {
  const bool listed = o.code == CAL_ERR_POINT_ORDER || o.code == CAL_ERR_POINT_DEVIATION;
  m_sDetail = o.detail;
  if (errorCount) *errorCount = listed ? static_cast<int>(o.nodes.size()) : 0;
  if (errorList) *errorList = listed ? o.nodes : std::vector<GridNode>{};
  // The node list is the message of the two point errors.
  if (message) *message = listed ? o.detail : CalResultMessage(m_strings, o.code);
  return o.code;
}

void CSensorCalibration::TraceBlock(const SensorCalBlock& block, std::initializer_list<CalMargins> margins) {
  // Diagnostic text for the log, not shown to the user as such.
  char buf[96];
  auto line = [this](const char* text) {
    m_sTrace += text;
    m_sTrace += '\n';
  };
  for (const CalMargins& m : margins) {
    std::snprintf(buf, sizeof buf, "x0 : %d, y0 : %d, x1 : %d, y1 : %d", m.x0, m.y0, m.x1, m.y1);
    line(buf);
  }
  line("CalAngleParam -----");
  std::snprintf(buf, sizeof buf, "bAngleEnb : %d", block.angle.bAngleEnb);
  line(buf);
  std::snprintf(buf, sizeof buf, "baseL : %u", static_cast<unsigned>(m_angle.baseL));
  line(buf);
  const char* names[3] = {"dDeltaL", "dDeltaR", "dDeltaD"};
  const double deltas[3] = {m_angle.deltas.dDeltaL, m_angle.deltas.dDeltaR, m_angle.deltas.dDeltaD};
  for (int k = 0; k < 3; ++k) {
    std::snprintf(buf, sizeof buf, "%s : %f, ( * factor ) : %f", names[k], deltas[k], deltas[k] * kAngleFactor);
    line(buf);
  }
  line("CalPreciseParam -----");
  std::snprintf(buf, sizeof buf, "nx1, ny1 : %d, %d", block.precise.nx1, block.precise.ny1);
  line(buf);
  line("devTbl : ");
  for (int j = 0; j <= std::min<int>(block.precise.ny1, kMaxPreciseCells); ++j) {
    std::string row;
    for (int i = 0; i <= std::min<int>(block.precise.nx1, kMaxPreciseCells); ++i) {
      std::snprintf(buf, sizeof buf, "( %6d, %6d), ", block.precise.At(j, i).x, block.precise.At(j, i).y);
      row += buf;
    }
    line(row.c_str());
  }
  line("CalBasicParam -----");
  std::snprintf(buf, sizeof buf, "nx2, ny2 : %d, %d", block.basic.nx2, block.basic.ny2);
  line(buf);
  std::snprintf(buf, sizeof buf, "devMin : ( %6d, %6d)", block.basic.devMin.x, block.basic.devMin.y);
  line(buf);
  std::snprintf(buf, sizeof buf, "devMax : ( %6d, %6d)", block.basic.devMax.x, block.basic.devMax.y);
  line(buf);
  line("hiTbl : ");
  for (int j = 0; j <= std::min<int>(block.basic.ny2, kMaxBasicCells); ++j) {
    std::string row;
    for (int i = 0; i <= std::min<int>(block.basic.nx2, kMaxBasicCells); ++i) {
      // Screen units are unsigned; print them as the sensor reads them.
      std::snprintf(buf, sizeof buf, "( %6d, %6d), ", static_cast<uint16_t>(block.basic.At(j, i).x),
                    static_cast<uint16_t>(block.basic.At(j, i).y));
      row += buf;
    }
    line(row.c_str());
  }
}

}  // namespace kv
