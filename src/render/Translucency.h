#pragma once

// The block of state every translucent draw of the game shares: blending of the source by its
// alpha over what is there, depth writes off, and only fragments with alpha above 0 drawn.
// The alpha test is left on at the end, so that later draws inherit it.
void BeginTranslucency();
void EndTranslucency(); // depth writes on again, blending off

// Colour material on the front faces' diffuse colour, which is where lit translucent draws take
// their alpha from. Enabled before the mode is set: on the first enable the current colour also
// lands in the ambient of both faces, which lit meshes show.
void TrackDiffuseColour();
