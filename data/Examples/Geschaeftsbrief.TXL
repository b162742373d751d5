<?xml version="1.0" encoding="ISO-8859-1" ?>
<Dialog>
	<Title>
	Geschäftsbrief
	</Title>
	<WTemplate>
	COMMON_APPDATA_TAVIX_EXAMPLES\Geschaeftsbrief
	</WTemplate>
	<Field>
		<ID>
		Empfaenger
		</ID>
		<Question>
		Empfänger (Name und Anschrift)
		</Question>
		<Default xml:space="preserve"/>
		<MaxChar>
		300
		</MaxChar>
		<MaxRow>
		6
		</MaxRow>
		<Checks>
			<Type>
			Memo
			</Type>
		</Checks>
		<Help>
		Eine Zeile je Anschriftzeile: Name, gegebenenfalls Firma, Straße und Hausnummer, Postleitzahl und Ort.
		</Help>
	</Field>
	<Field>
		<ID>
		IhrZeichen
		</ID>
		<Question>
		Ihr Zeichen
		</Question>
		<Default/>
		<MaxChar>
		30
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		UnserZeichen
		</ID>
		<Question>
		Unser Zeichen
		</Question>
		<Default/>
		<MaxChar>
		30
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Datum
		</ID>
		<Question>
		Datum des Briefes
		</Question>
		<Default>
		Heute
		</Default>
		<MaxChar>
		30
		</MaxChar>
		<Checks>
			<Type>
			Datum
			</Type>
			<Minimum>
			36526
			</Minimum>
			<Format>
			d. mmmm yyyy
			</Format>
		</Checks>
		<Help>
		&quot;Heute&quot; wird beim Öffnen der Vorlage durch das aktuelle Datum ersetzt.
		</Help>
	</Field>
	<Field>
		<ID>
		Betreff
		</ID>
		<Question>
		Betreff
		</Question>
		<Default/>
		<MaxChar>
		100
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Anrede
		</ID>
		<Question>
		Anrede
		</Question>
		<Default>
		Sehr geehrte Damen und Herren,
		</Default>
		<MaxChar>
		60
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
			<VList>
				<V>
				Sehr geehrte Damen und Herren,
				</V>
				<V>
				Sehr geehrte Frau
				</V>
				<V>
				Sehr geehrter Herr
				</V>
				<V>
				Liebe Kolleginnen und Kollegen,
				</V>
			</VList>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Brieftext
		</ID>
		<Question>
		Text des Briefes
		</Question>
		<Default xml:space="preserve">vielen Dank für Ihr Schreiben.

</Default>
		<MaxChar>
		4000
		</MaxChar>
		<MaxRow>
		12
		</MaxRow>
		<Checks>
			<Type>
			Memo
			</Type>
		</Checks>
		<Help>
		Leerzeilen trennen die Absätze.
		</Help>
	</Field>
	<Field>
		<ID>
		Gruss
		</ID>
		<Question>
		Grußformel
		</Question>
		<Default>
		Mit freundlichen Grüßen
		</Default>
		<MaxChar>
		40
		</MaxChar>
		<Checks>
			<Type>
			Auswahl
			</Type>
			<VList>
				<V>
				Mit freundlichen Grüßen
				</V>
				<V>
				Freundliche Grüße
				</V>
				<V>
				Viele Grüße
				</V>
			</VList>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Absender
		</ID>
		<Question>
		Ihr Name
		</Question>
		<Default/>
		<MaxChar>
		60
		</MaxChar>
		<Checks>
			<Type>
			String
			</Type>
		</Checks>
		<Help/>
	</Field>
	<Field>
		<ID>
		Anlagen
		</ID>
		<Question>
		Anzahl der Anlagen
		</Question>
		<Default>
		0
		</Default>
		<MaxChar>
		2
		</MaxChar>
		<Checks>
			<Type>
			Integer
			</Type>
			<Minimum>
			0
			</Minimum>
			<Maximum>
			20
			</Maximum>
		</Checks>
		<Help>
		Bei 0 entfällt die Zeile &quot;Anlagen&quot;.
		</Help>
	</Field>
</Dialog>
