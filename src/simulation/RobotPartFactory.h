#pragma once

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "simulation/CSensor.h"

#include <osg/ref_ptr>

#include <string>

// The sensor class of a sensor-kind code (0 ray to 10 magnet), made from the
// model address; null for any other code. isE is the studio's "is_e"
// setting, which moves the grey and flame sensors' rays.
osg::ref_ptr<CSensor> MakeSensor(int kind, PartContextPtr context, const std::string& address, bool isE);

// A robot part of a model type (0 control unit, 1 brick, 2 wheel, 3 motor, 4
// sensor of sensorKind, 12 coloured light), made from the model address but
// not yet loaded; null for any other type.
osg::ref_ptr<CModel> MakeRobotPart(
    int type, int sensorKind, PartContextPtr context, const std::string& address, bool isE);
