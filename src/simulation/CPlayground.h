#pragma once

#include "elements/Floor.h"
#include "platform/OwnWorkFile.h"
#include "simulation/PlaygroundFile.h"

#include <osg/Referenced>
#include <osg/ref_ptr>

#include <string>
#include <vector>

class CAlarm;
class CCandle;
class CGeo;
class CSlope;
class CTakenObj;
class CTrigger;
class CWounded;
class PlaygroundFile;
struct SGameState;

namespace physics {
class PhysicsWorld;
} // namespace physics

// The playground of a simulation: the ground under the robots, the objects
// placed on it and the trigger zones that score the run. The simulation makes
// it once, fills it from a playground file whenever a playground is loaded,
// steps it once per running frame after the physics and before the robots,
// and clears it before it goes.
//
// Objects reach the robots, the scene, the physics world and the scoring
// rules through the game state and its load block.
class CPlayground : public osg::Referenced {
public:
    // The ground: a floor of the given half sizes showing imageFile, with its
    // solid in contactGroup, in the load block's scene; loaded models and
    // slopes take contactGroup too.
    CPlayground(SGameState* gameState, physics::PhysicsWorld* simulator, int contactGroup, float halfWidth,
        float halfLength, const std::string& imageFile);

    // Loads a playground file in place of the present playground, and its
    // scoring rules in place of the load block's. A file that cannot be read,
    // or is damaged, is refused with a warning that says why, and the
    // playground loaded before stays as it was (a playground that held
    // nothing shows the default ground). True when the file was loaded.
    // Objects whose models do not load, and zones of unknown kinds, are left
    // out with a warning; the rest loads.
    bool LoadFromFile(const std::string& path);
    // Why the last load failed; empty after one that succeeded.
    const std::string& GetLoadError() const { return m_sLoadError; }
    // Why the last load refused its file, for the user (None after a load
    // that worked).
    const PlaygroundFile::Refusal& GetLoadRefusal() const { return m_loadRefusal; }

    // Takes every object and zone out of the scene and empties every list;
    // objects carried by robots are taken from them. The ground, the file
    // name, the ground picture and the rules stay.
    void Clear();
    // Lets the loaded playground go: cleared, and its file name and scoring
    // rules forgotten, the default ground shows, as when no playground has
    // been loaded.
    void Unload();

    // One running frame: the zones in list order until one stops the run,
    // then the objects' rules, then the moving objects follow their solids.
    // Nothing once the run is stopped.
    void Step();
    void RefreshPoses();
    // Every zone but start zones faces its score label to the camera.
    void UpdateScoreLabels();

    Floor* GetGround() const { return m_pGround.get(); }
    const std::string& GetFileName() const { return m_sFileName; }
    const std::vector<osg::ref_ptr<CSlope>>& GetSlopes() const { return m_vSlope; }
    const std::vector<osg::ref_ptr<CGeo>>& GetGeos() const { return m_vGeo; }
    const std::vector<osg::ref_ptr<CCandle>>& GetCandles() const { return m_vCandle; }
    const std::vector<osg::ref_ptr<CTrigger>>& GetTriggers() const { return m_vTrigger; }
    const std::vector<osg::ref_ptr<CWounded>>& GetWounded() const { return m_vWounded; }
    const std::vector<osg::ref_ptr<CTakenObj>>& GetTakenObjs() const { return m_vTakenObj; }
    const std::vector<osg::ref_ptr<CAlarm>>& GetAlarms() const { return m_vAlarm; }

    // The simulation's working copy of the ground picture of a loaded file,
    // this playground's own: "Temp/tempEmuApp-<process>-<n>.png".
    const std::string& GroundPictureCopy() const { return m_groundPictureCopy.Path(); }
    static constexpr const char* kDefaultGround = "map/default.png";

protected:
    // Leaves the scene alone: the simulation clears the playground first.
    ~CPlayground() override;

private:
    bool Refuse(const std::string& path, const std::string& why, const PlaygroundFile::Refusal& refusal);
    void ShowDefaultGround();
    void Build(const PlaygroundFile& file);

    SGameState* m_pGameState; // not owned
    physics::PhysicsWorld* m_pSimulator; // not owned
    int m_nGroup;
    // The next step is the first of a run: none has been taken since the
    // playground was loaded.
    bool m_bFirstStep = true;
    osg::ref_ptr<Floor> m_pGround;
    std::vector<osg::ref_ptr<CSlope>> m_vSlope;
    std::vector<osg::ref_ptr<CGeo>> m_vGeo;
    std::vector<osg::ref_ptr<CCandle>> m_vCandle;
    std::vector<osg::ref_ptr<CTrigger>> m_vTrigger;
    std::vector<osg::ref_ptr<CWounded>> m_vWounded;
    std::vector<osg::ref_ptr<CTakenObj>> m_vTakenObj;
    std::vector<osg::ref_ptr<CAlarm>> m_vAlarm;
    std::string m_sFileName;
    std::string m_sImage;
    std::string m_sLoadError;
    PlaygroundFile::Refusal m_loadRefusal;
    platform::OwnWorkFile m_groundPictureCopy { "tempEmuApp", ".png" };
};
