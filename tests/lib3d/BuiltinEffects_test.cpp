// The built-in effect texts read, declare the parameters the engine sets,
// and offer the techniques each kind of device needs.
#include "lib3d/BuiltinEffects.h"

#include <gtest/gtest.h>

#include "fx/EffectText.h"

namespace {

fx::FxCaps Caps(int textures, bool dot3, bool ps14) {
    fx::FxCaps c;
    c.maxSimultaneousTextures = textures;
    c.dot3 = dot3;
    c.pixelShaderMajor = ps14 ? 1 : 0;
    c.pixelShaderMinor = ps14 ? 4 : 0;
    return c;
}

int FirstValid(const fx::EffectText &e, const fx::FxCaps &caps) {
    for (size_t i = 0; i < e.techniques.size(); i++)
        if (fx::TechniqueValid(e.techniques[i], caps)) return static_cast<int>(i);
    return -1;
}

TEST(BuiltinEffects, EveryTextReads) {
    for (int i = 0; i < lib3d::kBuiltinEffectCount; i++) {
        fx::EffectText e;
        std::string error;
        EXPECT_TRUE(fx::ParseEffect(lib3d::BuiltinEffectText(i), e, error))
            << lib3d::BuiltinEffectName(i) << ": " << error;
    }
    EXPECT_EQ(lib3d::BuiltinEffectText(-1), nullptr);
    EXPECT_EQ(lib3d::BuiltinEffectText(lib3d::kBuiltinEffectCount), nullptr);
}

TEST(BuiltinEffects, ParametersTheEngineSets) {
    const struct {
        int effect;
        std::vector<const char *> names;
    } kWanted[] = {
        {lib3d::kEffectBlendModulateAdd, {"tex1", "tex2", "coord0", "coord1"}},
        {lib3d::kEffectEnvironmentOneLight,
         {"texMap", "texEnvMap", "matWorld", "matViewProj", "matLight", "vecLight", "posCamera"}},
        {lib3d::kEffectEnvironmentTwoLights, {"vecLight2", "ambient"}},
        {lib3d::kEffectLightMap,
         {"tex", "lightmap", "vectors", "bump", "transparent", "matWorld", "matViewProj"}},
        {lib3d::kEffectThreeLights,
         {"vecLight1", "vecLight2", "vecLight3", "vecVar1", "vecVar2", "vecVar3", "tex",
          "lightmap"}},
        {lib3d::kEffectShadowVolume, {"matWorld", "matViewProj", "Light", "Len"}},
    };
    for (const auto &w : kWanted) {
        fx::EffectText e;
        std::string error;
        ASSERT_TRUE(fx::ParseEffect(lib3d::BuiltinEffectText(w.effect), e, error));
        for (const char *name : w.names)
            EXPECT_GE(e.FindParam(name), 0) << lib3d::BuiltinEffectName(w.effect) << " " << name;
    }
}

TEST(BuiltinEffects, TechniquesForRichAndPoorDevices) {
    const fx::FxCaps rich = Caps(8, true, true), single = Caps(1, false, false);
    for (int i = 0; i < lib3d::kBuiltinEffectCount; i++) {
        fx::EffectText e;
        std::string error;
        ASSERT_TRUE(fx::ParseEffect(lib3d::BuiltinEffectText(i), e, error));
        EXPECT_EQ(FirstValid(e, rich), 0) << lib3d::BuiltinEffectName(i);
        const int poor = FirstValid(e, single);
        if (i == lib3d::kEffectThreeLights) {
            EXPECT_EQ(poor, -1);  // only with pixel shaders
        } else if (i == lib3d::kEffectShadowVolume) {
            EXPECT_EQ(poor, 0);  // uses no texture stage at all
            ASSERT_EQ(e.techniques[0].passes.size(), 2u);
        } else {
            EXPECT_EQ(poor, 1) << lib3d::BuiltinEffectName(i);
            EXPECT_EQ(e.techniques[1].name, "T1");
            EXPECT_EQ(e.techniques[1].passes.size(), 2u);
        }
    }
}

}  // namespace
