<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.10" name="collision" tilewidth="16" tileheight="16" tilecount="64" columns="16">
 <image source="collision.png" width="256" height="64"/>
 <tile id="0">
  <properties>
   <property name="class" type="int" value="0"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="1">
  <properties>
   <property name="class" type="int" value="1"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="2">
  <properties>
   <property name="class" type="int" value="2"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="3">
  <properties>
   <property name="class" type="int" value="3"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="4">
  <properties>
   <property name="class" type="int" value="4"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="5">
  <properties>
   <property name="class" type="int" value="5"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="6">
  <properties>
   <property name="class" type="int" value="6"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="7">
  <properties>
   <property name="class" type="int" value="7"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="8">
  <properties>
   <property name="class" type="int" value="8"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="9">
  <properties>
   <property name="class" type="int" value="9"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="10">
  <properties>
   <property name="class" type="int" value="10"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="11">
  <properties>
   <property name="class" type="int" value="11"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="12">
  <properties>
   <property name="class" type="int" value="12"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="13">
  <properties>
   <property name="class" type="int" value="13"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="14">
  <properties>
   <property name="class" type="int" value="14"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="15">
  <properties>
   <property name="class" type="int" value="15"/>
   <property name="hazard" type="int" value="0"/>
  </properties>
 </tile>
 <tile id="16">
  <properties>
   <property name="class" type="int" value="0"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="17">
  <properties>
   <property name="class" type="int" value="1"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="18">
  <properties>
   <property name="class" type="int" value="2"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="19">
  <properties>
   <property name="class" type="int" value="3"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="20">
  <properties>
   <property name="class" type="int" value="4"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="21">
  <properties>
   <property name="class" type="int" value="5"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="22">
  <properties>
   <property name="class" type="int" value="6"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="23">
  <properties>
   <property name="class" type="int" value="7"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="24">
  <properties>
   <property name="class" type="int" value="8"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="25">
  <properties>
   <property name="class" type="int" value="9"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="26">
  <properties>
   <property name="class" type="int" value="10"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="27">
  <properties>
   <property name="class" type="int" value="11"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="28">
  <properties>
   <property name="class" type="int" value="12"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="29">
  <properties>
   <property name="class" type="int" value="13"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="30">
  <properties>
   <property name="class" type="int" value="14"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="31">
  <properties>
   <property name="class" type="int" value="15"/>
   <property name="hazard" type="int" value="1"/>
  </properties>
 </tile>
 <tile id="32">
  <properties>
   <property name="class" type="int" value="0"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="33">
  <properties>
   <property name="class" type="int" value="1"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="34">
  <properties>
   <property name="class" type="int" value="2"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="35">
  <properties>
   <property name="class" type="int" value="3"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="36">
  <properties>
   <property name="class" type="int" value="4"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="37">
  <properties>
   <property name="class" type="int" value="5"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="38">
  <properties>
   <property name="class" type="int" value="6"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="39">
  <properties>
   <property name="class" type="int" value="7"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="40">
  <properties>
   <property name="class" type="int" value="8"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="41">
  <properties>
   <property name="class" type="int" value="9"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="42">
  <properties>
   <property name="class" type="int" value="10"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="43">
  <properties>
   <property name="class" type="int" value="11"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="44">
  <properties>
   <property name="class" type="int" value="12"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="45">
  <properties>
   <property name="class" type="int" value="13"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="46">
  <properties>
   <property name="class" type="int" value="14"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="47">
  <properties>
   <property name="class" type="int" value="15"/>
   <property name="hazard" type="int" value="2"/>
  </properties>
 </tile>
 <tile id="48">
  <properties>
   <property name="class" type="int" value="0"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="49">
  <properties>
   <property name="class" type="int" value="1"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="50">
  <properties>
   <property name="class" type="int" value="2"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="51">
  <properties>
   <property name="class" type="int" value="3"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="52">
  <properties>
   <property name="class" type="int" value="4"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="53">
  <properties>
   <property name="class" type="int" value="5"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="54">
  <properties>
   <property name="class" type="int" value="6"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="55">
  <properties>
   <property name="class" type="int" value="7"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="56">
  <properties>
   <property name="class" type="int" value="8"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="57">
  <properties>
   <property name="class" type="int" value="9"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="58">
  <properties>
   <property name="class" type="int" value="10"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="59">
  <properties>
   <property name="class" type="int" value="11"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="60">
  <properties>
   <property name="class" type="int" value="12"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="61">
  <properties>
   <property name="class" type="int" value="13"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="62">
  <properties>
   <property name="class" type="int" value="14"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
 <tile id="63">
  <properties>
   <property name="class" type="int" value="15"/>
   <property name="hazard" type="int" value="3"/>
  </properties>
 </tile>
</tileset>
