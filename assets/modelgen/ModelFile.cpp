#include "ModelFile.h"

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Group>
#include <osg/Material>
#include <osg/PrimitiveSet>
#include <osgDB/WriteFile>
#include <osgParticle/ModularEmitter>
#include <osgParticle/ModularProgram>
#include <osgParticle/ParticleSystem>
#include <osgParticle/ParticleSystemUpdater>
#include <osgParticle/RadialShooter>
#include <osgParticle/RandomRateCounter>
#include <osgParticle/SectorPlacer>

#include <cstdio>
#include <numbers>
#include <system_error>

namespace {

// Pieces that share a colour and a role share one drawable.
struct PieceGroup {
    osg::Vec4d colour;
    unsigned flags = 0;
    Mesh mesh;
};

std::vector<PieceGroup> GroupPieces(const ModelSpec& spec, unsigned wantedFlags, unsigned unwantedFlags) {
    const unsigned roleFlags = Piece::Translucent | Piece::Lamp;
    std::vector<PieceGroup> groups;
    for (const Piece& piece : spec.pieces) {
        if ((piece.flags & wantedFlags) != wantedFlags || (piece.flags & unwantedFlags))
            continue;
        const unsigned role = piece.flags & roleFlags;
        PieceGroup* group = nullptr;
        for (PieceGroup& g : groups) {
            if (g.colour == piece.colour && g.flags == role)
                group = &g;
        }
        if (!group) {
            groups.push_back({ piece.colour, role, Mesh() });
            group = &groups.back();
        }
        group->mesh.Append(spec.PieceMesh(piece));
    }
    return groups;
}

osg::ref_ptr<osg::Geometry> ToGeometry(const Mesh& mesh) {
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> vertices
        = new osg::Vec3Array(mesh.Positions().begin(), mesh.Positions().end());
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array(mesh.Normals().begin(), mesh.Normals().end());
    geometry->setVertexArray(vertices.get());
    geometry->setNormalArray(normals.get(), osg::Array::BIND_PER_VERTEX);
    if (mesh.Positions().size() <= 0xFFFF) {
        osg::ref_ptr<osg::DrawElementsUShort> triangles = new osg::DrawElementsUShort(GL_TRIANGLES);
        for (unsigned i : mesh.Indices())
            triangles->push_back(static_cast<GLushort>(i));
        geometry->addPrimitiveSet(triangles.get());
    } else {
        geometry->addPrimitiveSet(
            new osg::DrawElementsUInt(GL_TRIANGLES, mesh.Indices().begin(), mesh.Indices().end()));
    }
    return geometry;
}

// The look every part shares: the lighting values a coloured brick gets.
osg::ref_ptr<osg::Material> MakeMaterial(const osg::Vec4d& colour, bool glowing) {
    osg::ref_ptr<osg::Material> material = new osg::Material;
    const osg::Vec4 c(colour);
    material->setAmbient(osg::Material::FRONT_AND_BACK, c);
    material->setDiffuse(osg::Material::FRONT_AND_BACK, c);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.072f, 0.072f, 0.072f, 1.0f));
    material->setEmission(osg::Material::FRONT_AND_BACK,
        glowing ? osg::Vec4(c.r(), c.g(), c.b(), 1.0f) : osg::Vec4(0, 0, 0, 1));
    material->setShininess(osg::Material::FRONT_AND_BACK, 35.84f);
    return material;
}

void MakeSeeThrough(osg::StateSet* state) {
    state->setMode(GL_BLEND, osg::StateAttribute::ON);
    state->setAttributeAndModes(
        new osg::BlendFunc(osg::BlendFunc::SRC_ALPHA, osg::BlendFunc::ONE_MINUS_SRC_ALPHA));
    state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, false));
    state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
}

osg::ref_ptr<osg::Geode> ColouredGeode(const PieceGroup& group, const char* name, bool glowing) {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName(name);
    geode->addDrawable(ToGeometry(group.mesh).get());
    osg::StateSet* state = geode->getOrCreateStateSet();
    state->setAttributeAndModes(MakeMaterial(group.colour, glowing).get());
    if (group.flags & Piece::Translucent)
        MakeSeeThrough(state);
    return geode;
}

void AddColouredGeodes(osg::Group* parent, const ModelSpec& spec, unsigned unwantedFlags, bool glowing) {
    for (const PieceGroup& group : GroupPieces(spec, 0, unwantedFlags))
        parent->addChild(ColouredGeode(group, "part", glowing).get());
}

osg::ref_ptr<osg::Geode> PlainGeode(const ModelSpec& spec, const char* name) {
    Mesh all;
    for (const Piece& piece : spec.pieces)
        all.Append(spec.PieceMesh(piece));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName(name);
    geode->addDrawable(ToGeometry(all).get());
    return geode;
}

// Small bright particles rising from the bottom of the flame's bounds; the
// bounds stay fixed at 2 x 2 x 4 so the flame's solid does not depend on
// where the particles happen to be.
void AddParticles(osg::Group* root) {
    osg::ref_ptr<osgParticle::ParticleSystem> particles = new osgParticle::ParticleSystem;
    particles->setName("flame");
    particles->setDefaultAttributes("", true, false);
    particles->setDefaultBoundingBox(osg::BoundingBox(-1, -1, -2, 1, 1, 2));
    osgParticle::Particle& pattern = particles->getDefaultParticleTemplate();
    pattern.setLifeTime(0.9);
    pattern.setSizeRange(osgParticle::rangef(0.6f, 0.15f));
    pattern.setAlphaRange(osgParticle::rangef(0.9f, 0.0f));
    pattern.setColorRange(
        osgParticle::rangev4(osg::Vec4(1.0f, 0.85f, 0.3f, 1.0f), osg::Vec4(1.0f, 0.25f, 0.05f, 0.5f)));
    pattern.setRadius(0.15f);
    pattern.setMass(0.01f);

    osg::ref_ptr<osgParticle::ModularEmitter> emitter = new osgParticle::ModularEmitter;
    emitter->setParticleSystem(particles.get());
    osg::ref_ptr<osgParticle::RandomRateCounter> counter = new osgParticle::RandomRateCounter;
    counter->setRateRange(30, 45);
    emitter->setCounter(counter.get());
    osg::ref_ptr<osgParticle::SectorPlacer> placer = new osgParticle::SectorPlacer;
    placer->setCenter(0, 0, -1.6f);
    placer->setRadiusRange(0.0f, 0.35f);
    placer->setPhiRange(0.0f, 2.0f * std::numbers::pi_v<float>);
    emitter->setPlacer(placer.get());
    osg::ref_ptr<osgParticle::RadialShooter> shooter = new osgParticle::RadialShooter;
    shooter->setThetaRange(0.0f, 0.25f);
    shooter->setInitialSpeedRange(1.5f, 2.5f);
    emitter->setShooter(shooter.get());

    osg::ref_ptr<osgParticle::ModularProgram> program = new osgParticle::ModularProgram;
    program->setParticleSystem(particles.get());
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName("particles");
    geode->addDrawable(particles.get());
    osg::ref_ptr<osgParticle::ParticleSystemUpdater> updater = new osgParticle::ParticleSystemUpdater;
    updater->addParticleSystem(particles.get());

    root->addChild(emitter.get());
    root->addChild(program.get());
    root->addChild(geode.get());
    root->addChild(updater.get());
}

} // namespace

osg::ref_ptr<osg::Node> BuildModelNode(const ModelSpec& spec) {
    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->setName(spec.Stem());
    switch (spec.layout) {
    case Layout::Plain:
        AddColouredGeodes(root.get(), spec, 0, false);
        break;
    case Layout::Brick:
        root->getOrCreateStateSet()->setAttributeAndModes(
            MakeMaterial(spec.pieces.front().colour, false).get());
        root->addChild(PlainGeode(spec, "body").get());
        break;
    case Layout::ColouredLight: {
        // root -> "body" -> "CColoredLight" -> geode -> lamp drawable, which
        // carries its own material: the light switches that material and
        // restores it for colour 0.
        osg::ref_ptr<osg::Group> body = new osg::Group;
        body->setName("body");
        root->addChild(body.get());
        AddColouredGeodes(body.get(), spec, Piece::Lamp, false);
        osg::ref_ptr<osg::Group> lampNode = new osg::Group;
        lampNode->setName("CColoredLight");
        body->addChild(lampNode.get());
        osg::ref_ptr<osg::Geode> lampGeode = new osg::Geode;
        lampGeode->setName("lamp");
        lampNode->addChild(lampGeode.get());
        for (const PieceGroup& group : GroupPieces(spec, Piece::Lamp, 0)) {
            osg::ref_ptr<osg::Geometry> lamp = ToGeometry(group.mesh);
            lamp->getOrCreateStateSet()->setAttributeAndModes(MakeMaterial(group.colour, false).get());
            lampGeode->addDrawable(lamp.get());
        }
        break;
    }
    case Layout::Beam:
        root->addChild(PlainGeode(spec, "beam").get());
        break;
    case Layout::Flame:
        AddParticles(root.get());
        AddColouredGeodes(root.get(), spec, 0, true);
        break;
    }
    return root;
}

bool WriteModelFile(const ModelSpec& spec, const std::filesystem::path& programDir) {
    const std::filesystem::path path = programDir / spec.address;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        std::fprintf(
            stderr, "modelgen: cannot make %s: %s\n", path.parent_path().c_str(), error.message().c_str());
        return false;
    }
    osg::ref_ptr<osg::Node> node = BuildModelNode(spec);
    if (!osgDB::writeNodeFile(*node, path.string())) {
        std::fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
