#include "simulation/CRcu.h"

CRcu::CRcu(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeRcu);
}
