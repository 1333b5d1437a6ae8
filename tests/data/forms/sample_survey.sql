-- A small survey made by hand for the user-form tests: two forms and the
-- look-up list of one of them. Applied by the tests to a blank survey
-- database, one statement per ";"-terminated line group.
-- UDF_Sightings: a tab form with every common value type, a look-up list, a
-- counter, a fixed range of 926 m, a true bearing control and a hot key.
-- UDF_Effort: stores into the table EffortLog and is not loaded online.

CREATE TABLE "UDF_Sightings" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "DbTitle", "AutoUpdate", "ForceGps") VALUES (1, 'TIMESTAMP', 'Time', 'SightTime', 1, 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Topic", "Plot") VALUES (2, 'LOOKUP', 'Species', 'Species', 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "MinValue", "MaxValue", "Required") VALUES (3, 'INTEGER', 'Count', 1, 500, 1);
INSERT INTO "UDF_Sightings" ("Order", "Type") VALUES (4, 'NEWLINE');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "PostTitle") VALUES (5, 'SINGLE', 'Bearing', 'deg');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Length", "AutoUpdate", "Colour") VALUES (6, 'CHAR   ', 'Comment', 30, 4, 'Orange');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "DbTitle") VALUES (7, 'CHECKBOX', 'Calves', ' HasCalves ');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Default") VALUES (8, 'COUNTER', 'Sighting No', '5');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Topic") VALUES (20, 'BEARING', 'Bearing', 'TRUE');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "PostTitle", "Topic", "Length") VALUES (21, 'RANGE', 'Range', 'm', 'FIXED', 926);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title") VALUES (22, 'HOTKEY', 's');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Length", "Height", "Plot") VALUES (23, 'FONT', 'DejaVu Sans', 12, 700, 1);
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title") VALUES (24, 'font', 'Ignored');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Colour") VALUES (25, 'FORMCOLOUR', 'RGB(200,220,240)');
INSERT INTO "UDF_Sightings" ("Order", "Type", "Title", "Length", "Plot") VALUES (26, 'SYMBOLTYPE', 'Diamond', 6, 0);

CREATE TABLE "UDF_Effort" ("Order" SMALLINT PRIMARY KEY, "Type" VARCHAR(50), "Title" VARCHAR(50), "PostTitle" VARCHAR(50), "DbTitle" VARCHAR(50), "Default" VARCHAR(50), "Length" SMALLINT, "Height" SMALLINT, "Topic" VARCHAR(50), "MinValue" REAL, "MaxValue" REAL, "NMEA String" VARCHAR(50), "NMEA Position" SMALLINT, "ADC Channel" SMALLINT, "ADC Gain" SMALLINT, "Analog Multiply" REAL, "Analog Add" REAL, "Required" BIT, "ReadOnly" BIT, "AutoUpdate" SMALLINT, "AutoClear" BIT, "ForceGps" BIT, "Plot" BIT, "Hint" VARCHAR(100), "Colour" VARCHAR(20), "Send Control Name" VARCHAR(50), "Control on Subform" VARCHAR(50), "Get Control Data" VARCHAR(50));
INSERT INTO "UDF_Effort" ("Order", "Type", "Title", "Length") VALUES (1, 'CHAR', 'Observer', 12);
INSERT INTO "UDF_Effort" ("Order", "Type", "Title", "AutoClear") VALUES (2, 'SHORT', 'Sea State', 1);
INSERT INTO "UDF_Effort" ("Order", "Type", "Title") VALUES (3, 'NOTONLINE', '');
INSERT INTO "UDF_Effort" ("Order", "Type", "Title") VALUES (4, 'DBTABLENAME', 'EffortLog');
INSERT INTO "UDF_Effort" ("Order", "Type", "Title") VALUES (5, 'HOTKEY', 'F9');

INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'HP', 'Harbour porpoise', 'y', 'Red', 'Circle', 1);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'BND', 'Bottlenose dolphin', 'Y', 'Blue', 'star', 2);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'MW', 'Minke whale', 'y', '', '', 3);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Species', 'XX', 'Not offered', 'n', 'Green', 'Square', 4);
INSERT INTO "Lookup" ("Topic", "Code", "Text", "Selectable", "Colour", "Symbol", "Order") VALUES ('Weather', 'R', 'Rain', 'y', 'Grey', 'Cross', 1);

INSERT INTO "GpsData" ("Index", "PCTime", "Latitude", "Longitude", "Heading", "TrueHeading", "MagneticHeading") VALUES (1, '2026-06-01 10:00:00', 56.0, -5.0, 90, -99999, -99999);
INSERT INTO "GpsData" ("Index", "PCTime", "Latitude", "Longitude", "Heading", "TrueHeading", "MagneticHeading") VALUES (2, '2026-06-01 10:01:00', 56.01, -5.0, 90, 0, -99999);
