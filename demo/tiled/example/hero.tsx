<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" name="ex-hero" tilewidth="48" tileheight="48" tilecount="56" columns="8">
 <properties>
  <property name="brain" value="Pimbrel.dll"/>
  <property name="isPlayer" type="bool" value="true"/>
 </properties>
 <image source="hero.png" width="384" height="336"/>
  <tile id="0"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="1"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="2"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="3"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="4"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="5"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="6"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="7"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="8"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="9"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="10"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="11"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="12"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="13"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="14"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="15"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="16"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="17"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="18"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="19"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="20"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="21"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="22"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="23"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="24"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="25"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="26"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="27"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="28"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="29"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="30"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="31"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="32"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="33"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="34"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="35"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="36"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="37"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="38"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="39"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="40"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="41"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="42"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="43"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="44"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="45"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="46"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="47"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="48"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="49"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="50"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="51"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="52"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="53"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="54"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
  <tile id="55"><objectgroup><object id="1" x="16" y="8" width="16" height="39"/></objectgroup></tile>
</tileset>
