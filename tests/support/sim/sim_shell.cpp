#include "tests/support/sim/sim_shell.h"

#include "tests/support/sim/sim_text.h"

namespace kelvo::sim {
namespace {

std::string LastPart(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return UpperName(cut == std::string::npos ? path : path.substr(cut + 1));
}

}  // namespace

void SimShell::AddProgram(const std::string& name, SimProgram program) {
  programs_[UpperName(name)] = std::move(program);
}

OsResult SimShell::Open(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& folder, int show,
                        StartedProcess* started) {
  return Start({"Open", verb, file, parameters, folder, show, clock_.Elapsed()}, started);
}

OsResult SimShell::RunHidden(const std::string& program, const std::string& command_line,
                             StartedProcess* started) {
  return Start({"RunHidden", "", program, command_line, "", 0, clock_.Elapsed()}, started);
}

OsResult SimShell::Start(ShellCall call, StartedProcess* started) {
  if (started) *started = 0;
  const auto known = programs_.find(LastPart(call.file));
  calls_.push_back(std::move(call));
  if (known == programs_.end()) return OsResult::Failed(kErrorFileNotFound);
  const SimProgram& program = known->second;
  if (program.error) return OsResult::Failed(*program.error);
  if (program.on_end) clock_.Schedule(program.runs_ms, program.on_end);
  if (started && program.hands_over_process) {
    *started = next_++;
    ends_[*started] = clock_.Elapsed() + program.runs_ms;
  }
  return OsResult::Ok();
}

bool SimShell::HasEnded(StartedProcess process) {
  const auto found = ends_.find(process);
  return found == ends_.end() || clock_.Elapsed() >= found->second;
}

void SimShell::Release(StartedProcess process) {
  ends_.erase(process);
}

}  // namespace kelvo::sim
