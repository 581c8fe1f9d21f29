#pragma once
// The calibration computation: turns the touch points measured on the calibration screens
// into the sensor's calibration block. PreciseCalibration recomputes all three parts from a
// dense grid; BasicCalibration keeps the stored angle and precise parts and recomputes the
// basic table. Every failure returns its code, fills the message and the detail text and
// leaves the caller's block (and this object's state) as it was.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "optrim/calibration/AngleFit.h"
#include "optrim/calibration/CalResult.h"
#include "optrim/calibration/CalcGrid.h"
#include "optrim/calibration/SensorCalBlock.h"
#include "resources/StringTable.h"

namespace kv {

class CSensorCalibration {
 public:
  // xOffset: the sensor x coordinate of the baseline's centre (0 on the screens).
  explicit CSensorCalibration(const CStringTable& strings, int32_t xOffset = 0);

  // measured: rows 10 nodes apart, (ny1 + 1) by (nx1 + 1) nodes used.
  int PreciseCalibration(int nx1, int ny1, int nx2, int ny2, int bAngleEnb, uint32_t baseL,
                         const CalMargins& preciseMargins, const CalMargins& basicMargins,
                         std::span<const DevPoint> measured, SensorCalBlock* block, int* errorCount,
                         std::vector<GridNode>* errorList, std::string* message);
  // measured: rows 5 nodes apart, (ny2 + 1) by (nx2 + 1) nodes used; *block in and out.
  int BasicCalibration(int nx2, int ny2, uint32_t baseL, const CalMargins& basicMargins,
                       std::span<const DevPoint> measured, SensorCalBlock* block, int* errorCount,
                       std::vector<GridNode>* errorList, std::string* message);

  // The two point corrections with the current angle parameters and precise table:
  // 0, or 14 (zero baseline, or a stored table without width or height) or 15 (the result
  // leaves the 32-bit range), with *p then unchanged.
  int ApplyAngle(CalcPoint* p) const;
  int ApplyPrecise(CalcPoint* p) const;

  void SetAngle(int bAngleEnb, uint32_t baseL, const AngleDeltas& deltas);
  void SetPreciseTable(const CalPreciseParam& table);

  const AngleDeltas& Deltas() const { return m_angle.deltas; }
  // The status of the last angle fit (CAngleFit), 0 when none ran.
  int FitStatus() const { return m_iFitStatus; }
  const std::string& Detail() const { return m_sDetail; }
  // Inputs and results of every successful entry, appended.
  const std::string& Trace() const { return m_sTrace; }

 private:
  struct AngleState {
    int bAngleEnb = 0;
    uint32_t baseL = 0;
    AngleDeltas deltas;
  };
  struct Outcome {
    int code = CAL_OK;
    std::string detail;
    std::vector<GridNode> nodes;
  };

  static bool LoadMeasured(std::span<const DevPoint> measured, int stride, int columns, int rows,
                           CalcGrid* grid);
  Outcome CheckGrid(const CalcGrid& m, bool withDeviation, CalcGrid* linear) const;
  Outcome Fail(int code, std::string detail) const;
  Outcome ApplyToGrid(CalcGrid* m, bool angle, bool precise) const;
  Outcome PreciseSteps(int nx2, int ny2, const CalMargins& preciseMargins,
                       const CalMargins& basicMargins, CalcGrid* m, SensorCalBlock* out);
  // The basic table of a precise calibration: the basic screen grid mapped through the
  // measured range of the precise grid.
  Outcome BasicFromPrecise(int nx2, int ny2, const CalMargins& preciseMargins, const CalMargins& basicMargins,
                           const CalcGrid& m, CalBasicParam* basic) const;
  Outcome BasicSteps(int nx2, int ny2, const CalMargins& basicMargins, CalcGrid* b,
                     SensorCalBlock* out) const;
  Outcome StoreDeltas(CalAngleParam* angle) const;
  int Finish(const Outcome& outcome, int* errorCount, std::vector<GridNode>* errorList,
             std::string* message);
  void TraceBlock(const SensorCalBlock& block, std::initializer_list<CalMargins> margins);

  const CStringTable& m_strings;
  int32_t m_iXOffset;
  AngleState m_angle;
  CalcGrid m_precise;  // the precise table the corrections use, 32-bit
  int m_iFitStatus = 0;
  std::string m_sDetail;
  std::string m_sTrace;
};

}  // namespace kv
