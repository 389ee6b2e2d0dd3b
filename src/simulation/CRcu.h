#pragma once

#include "elements/CModel.h"
#include "simulation/CRobotProgram.h"

#include <string>
#include <vector>

// The control unit: a robot's main body, to which every other part is fixed,
// and the runner of the robot's program (see CRobotProgram, which does the
// running). Every robot has exactly one.
class CRcu : public CModel {
public:
    CRcu(PartContextPtr context, const std::string& address);

    // Loads the program file for robot number robot; true when it stands
    // ready for the first exchange.
    bool LoadProgram(const std::string& path, int robot) { return m_program.LoadProgram(path, robot); }
    // Ends the program and forgets it; always true.
    bool UnloadProgram() { return m_program.UnloadProgram(); }
    // One lock-step exchange of texts with the program; nothing without one.
    void Exchange(const std::string& input, std::string& output) { m_program.Exchange(input, output); }
    // The names of the private program copies, by robot number.
    std::vector<std::string>& GetTempDllNames() { return m_program.GetTempDllNames(); }
    void NewTempDllName() { m_program.NewTempDllName(); }

    CRobotProgram& Program() { return m_program; }
    const CRobotProgram& Program() const { return m_program; }

protected:
    ~CRcu() override = default;

private:
    CRobotProgram m_program;
};
