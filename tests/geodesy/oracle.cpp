#include "oracle.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <sstream>

namespace oracle {
namespace {

// Runs a tool with the rows on its standard input; returns its standard output.
bool RunTool(const QString& program, const QStringList& args, const std::vector<Row>& input, std::string& out) {
  std::string text;
  for (const Row& row : input) {
    for (double v : row) text += Num(v) + " ";
    text += "\n";
  }
  QProcess process;
  process.start(program, args);
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << program.toStdString() << " does not start (is proj-bin installed?)";
    return false;
  }
  process.write(text.data(), static_cast<qint64>(text.size()));
  process.closeWriteChannel();
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return false;
  }
  out = process.readAllStandardOutput().toStdString();
  return true;
}

QStringList Words(const std::string& operation) {
  QStringList words;
  std::istringstream in(operation);
  std::string w;
  while (in >> w) words << QString::fromStdString(w);
  return words;
}

}  // namespace

std::string Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::vector<Row> Cct(const std::string& operation, const std::vector<Row>& input) {
  std::string out;
  if (!RunTool("cct", QStringList{"-d", "10"} + Words(operation), input, out)) return {};
  std::vector<Row> rows;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Row row;
    double v;
    while (fields >> v) row.push_back(v);
    rows.push_back(row);
  }
  if (rows.size() != input.size()) {
    ADD_FAILURE() << "cct answered " << rows.size() << " lines for " << input.size() << ":\n" << out;
    return {};
  }
  return rows;
}

std::vector<Factors> ProjFactors(const std::string& projection, const std::vector<Row>& lonLat) {
  std::string out;
  if (!RunTool("proj", QStringList{"-V"} + Words(projection), lonLat, out)) return {};
  std::vector<Factors> result;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("Parallel scale (k) :", 0) == 0) {
      result.emplace_back();
      result.back().pointScale = std::stod(line.substr(line.find(':') + 1));
    } else if (line.rfind("Convergence :", 0) == 0 && !result.empty()) {
      result.back().convergence = std::stod(line.substr(line.find('[') + 1));
    }
  }
  if (result.size() != lonLat.size()) {
    ADD_FAILURE() << "proj -V answered " << result.size() << " points for " << lonLat.size();
    return {};
  }
  return result;
}

}  // namespace oracle
