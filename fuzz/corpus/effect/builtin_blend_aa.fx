TEXTURE tex1;
TEXTURE tex2;
DWORD coord0 = 0;
DWORD coord1 = 1;
TECHNIQUE T0
{
  PASS P0
  {
    Texture[0] = <tex1>;
    Texture[1] = <tex2>;
    TexCoordIndex[0] = <coord0>;
    TexCoordIndex[1] = <coord1>;
    ColorOp[0] = Add;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = Modulate;
    AlphaArg1[0] = Texture;
    AlphaArg2[0] = Diffuse;
    ColorOp[1] = Add;
    ColorArg1[1] = Texture;
    ColorArg2[1] = Current;
    AlphaOp[1] = SelectArg2;
    AlphaArg2[1] = Current;
    ColorOp[2] = Disable;
    AlphaOp[2] = Disable;
  }
}
TECHNIQUE T1
{
  PASS P0
  {
    Texture[0] = <tex1>;
    TexCoordIndex[0] = <coord0>;
    ColorOp[0] = Add;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = Modulate;
    AlphaArg1[0] = Texture;
    AlphaArg2[0] = Diffuse;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
  }
  PASS P1
  {
    Texture[0] = <tex2>;
    TexCoordIndex[0] = <coord1>;
    ColorOp[0] = SelectArg1;
    ColorArg1[0] = Texture;
    AlphaOp[0] = SelectArg1;
    AlphaArg1[0] = Texture;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
    AlphaBlendEnable = True;
    SrcBlend = One;
    DestBlend = One;
    ZFunc = Equal;
    ZWriteEnable = False;
  }
}
