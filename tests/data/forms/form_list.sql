-- A small survey for the form-list tests: a tab form that takes pokes and
-- plots by species, a pop-up form, and two sub-tab forms of one group (the
-- group name written in two cases).
CREATE TABLE "UDF_Sightings" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Length") VALUES (1, 'INTEGER', 'Count', 0);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Topic", "Plot") VALUES (2, 'LOOKUP', 'Species', 'Species', 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Length") VALUES (3, 'CHAR', 'Comment', 10);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Plot") VALUES (4, 'SINGLE', 'Range', 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Plot") VALUES (10, 'PLOT', 'Plot', 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title") VALUES (11, 'HOTKEY', 's');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title") VALUES (12, 'DDEENABLE', '');
CREATE TABLE "UDF_Incident" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Incident" ("Order", "Type", "Title", "Length") VALUES (1, 'CHAR', 'Note', 20);
INSERT INTO "UDF_Incident" ("Order", "Type", "Title", "Plot") VALUES (2, 'POPUP', '', 1);
INSERT INTO "UDF_Incident" ("Order", "Type", "Title") VALUES (3, 'HOTKEY', 'i');
CREATE TABLE "UDF_Acoustic" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Acoustic" ("Order", "Type", "Title", "Length") VALUES (1, 'CHAR', 'Hydrophone', 8);
INSERT INTO "UDF_Acoustic" ("Order", "Type", "Title", "PostTitle", "Plot") VALUES (2, 'SUBTABS', 'Listening', 'Ac ', 1);
INSERT INTO "UDF_Acoustic" ("Order", "Type", "Title") VALUES (3, 'HOTKEY', 'a');
CREATE TABLE "UDF_Clicks" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Clicks" ("Order", "Type", "Title") VALUES (1, 'INTEGER', 'Trains');
INSERT INTO "UDF_Clicks" ("Order", "Type", "Title", "Plot") VALUES (2, 'SUBTABS', 'LISTENING', 1);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'HP', 'Harbour porpoise', 'y', 'Red', 'Circle', 1);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'MW', 'Minke whale', 'y', '', '', 2);
