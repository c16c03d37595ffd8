MATRIX matWorld;
MATRIX matViewProj;
VECTOR Light;
VECTOR Len;
TECHNIQUE T0
{
  PASS P0
  {
    CullMode = Cw;
    AlphaBlendEnable = True;
    SrcBlend = Zero;
    DestBlend = One;
    ZWriteEnable = False;
    ShadeMode = Flat;
    StencilEnable = True;
    StencilFunc = Always;
    StencilRef = 1;
    StencilMask = 0xffffffff;
    StencilWriteMask = 0xffffffff;
    StencilFail = Keep;
    StencilZFail = Keep;
    StencilPass = Incr;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = <Light>;
    VertexShaderConstant1[9] = <Len>;
    VertexShaderConstant1[10] = { 0, 0, 0, 0 };
    VertexShader = decl { float v0[3]; float v3[3]; }
    asm {
    vs.1.0
    m4x4 r0, v0, c0
    m3x3 r1.xyz, v3, c0
    sub r2, r0, c8
    dp3 r3.w, r2, r2
    rsq r3.w, r3.w
    mul r2.xyz, r2, r3.w
    dp3 r4, r2, r1
    sge r4, r4, c10
    mul r5.xyz, r2, c9
    mad r0.xyz, r5, r4, r0
    m4x4 oPos, r0, c4
    };
  }
  PASS P1
  {
    CullMode = Ccw;
    AlphaBlendEnable = True;
    SrcBlend = Zero;
    DestBlend = One;
    ZWriteEnable = False;
    ShadeMode = Flat;
    StencilEnable = True;
    StencilFunc = Always;
    StencilRef = 1;
    StencilMask = 0xffffffff;
    StencilWriteMask = 0xffffffff;
    StencilFail = Keep;
    StencilZFail = Keep;
    StencilPass = Decr;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = <Light>;
    VertexShaderConstant1[9] = <Len>;
    VertexShaderConstant1[10] = { 0, 0, 0, 0 };
    VertexShader = decl { float v0[3]; float v3[3]; }
    asm {
    vs.1.0
    m4x4 r0, v0, c0
    m3x3 r1.xyz, v3, c0
    sub r2, r0, c8
    dp3 r3.w, r2, r2
    rsq r3.w, r3.w
    mul r2.xyz, r2, r3.w
    dp3 r4, r2, r1
    sge r4, r4, c10
    mul r5.xyz, r2, c9
    mad r0.xyz, r5, r4, r0
    m4x4 oPos, r0, c4
    };
  }
}
